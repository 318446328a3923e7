#pragma once
// What the traffic monitor needs of the window: the monitor text box `TextBox1` and the two
// status labels `Label1` and `Label2(0)`.

#include <QString>

namespace pelta::protocol {

class MonitorView {
  public:
    virtual ~MonitorView() = default;
    // Length of the whole `TextBox1` text, in characters.
    virtual int TextBox1Length() const = 0;
    // Inserts at the text box's insertion point (leaving the point after the inserted text).
    virtual void TextBox1Insert(const QString& text) = 0;
    virtual void TextBox1MoveToEnd() = 0;
    virtual void TextBox1Clear() = 0;
    virtual void SetLabel1(const QString& caption) = 0;
    virtual void SetLabel2_0(const QString& caption) = 0;
};

}  // namespace pelta::protocol

#pragma once
// What the reply decoder writes on the settings page. List positions count from 0; -1 clears
// the selection. Time texts are "hh:mm", or "h:m" unformatted when the controller sent no valid
// time. The lists themselves are in device/settings_lists.h.

#include <QString>
#include <cstdint>

namespace pelta::device {

class SettingsView {
  public:
    virtual ~SettingsView() = default;
    virtual void SetDateTime3Text(int index, const QString& text) = 0;      // alarm time, index 0/1
    virtual void SetCombo1ListIndex(int index, std::int16_t position) = 0;  // alarm day set
    virtual void SetCheck1(int index, bool checked) = 0;                    // alarm on/off
    virtual void SetCombo4ListIndex(std::int16_t position) = 0;             // screen mode
    virtual void SetCombo5ListIndex(std::int16_t position) = 0;             // 0 schedule, 1 sensor
    virtual void SetCombo3ListIndex(std::int16_t position) = 0;             // night-light mode
    virtual void SetDateTime6Text(int index, const QString& text) = 0;      // schedule times 0-3
    virtual void SetCheck3(bool checked) = 0;  // lunar-calendar scrolling
};

}  // namespace pelta::device

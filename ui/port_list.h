#pragma once
// The port list (cboPort): a drop-down list that lets its owner re-read the ports each time
// the operator opens it, so ports plugged in after start-up are offered.

#include <QComboBox>
#include <functional>

namespace pelta::ui {

struct TwipsBox;

class PortList : public QComboBox {
  public:
    using QComboBox::QComboBox;

    // Runs just before the list drops down.
    void SetBeforePopup(std::function<void()> hook) { beforePopup_ = std::move(hook); }
    void showPopup() override;

  private:
    std::function<void()> beforePopup_;
};

PortList* MakePortList(QWidget* parent, const char* name, const TwipsBox& box);

}  // namespace pelta::ui

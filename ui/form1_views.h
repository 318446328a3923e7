#pragma once
// The window as the core sees it: each adapter implements one of the core's small interfaces
// with the real controls. They hold no logic beyond reading and writing those controls.

#include "device/measurements_view.h"
#include "device/settings_controls.h"
#include "device/settings_view.h"
#include "protocol/monitor_view.h"
#include "protocol/poll_host.h"
#include "ui/form1_controls.h"

namespace pelta::ui {

// Check box values as the core counts them: 0 unchecked, 1 checked, 2 greyed.
std::int16_t CheckValue(const QCheckBox* check);

class Form1PollHost final : public protocol::PollHost {
  public:
    Form1PollHost(const LinkPageControls& link, const StatusControls& status)
        : link_(link), status_(status) {}
    std::int16_t cboPortListIndex() const override;
    QString cboPortText() const override;
    QString Text1_3() const override;
    void SetLabelCOM(const QString& caption) override;

  private:
    const LinkPageControls& link_;
    const StatusControls& status_;
};

class Form1MonitorView final : public protocol::MonitorView {
  public:
    explicit Form1MonitorView(const StatusControls& status) : status_(status) {}
    // Counted as inserted, so CR LF counts as the two characters it was given as.
    int TextBox1Length() const override { return length_; }
    void TextBox1Insert(const QString& text) override;
    void TextBox1MoveToEnd() override;
    void TextBox1Clear() override;
    void SetLabel1(const QString& caption) override;
    void SetLabel2_0(const QString& caption) override;

  private:
    const StatusControls& status_;
    int length_ = 0;
};

class Form1MeasurementsView final : public device::MeasurementsView {
  public:
    explicit Form1MeasurementsView(const MeasurementsPageControls& page) : page_(page) {}
    void SetLabel3(const QString& caption) override;
    void SetLabel7(const QString& caption) override;
    void SetLabel4(const QString& caption) override;
    void SetLabel5(const QString& caption) override;
    void SetLabel6(const QString& caption) override;
    void SetLabel15_0(const QString& caption) override;
    void SetLabel14_0(const QString& caption) override;

  private:
    const MeasurementsPageControls& page_;
};

class Form1SettingsView final : public device::SettingsView {
  public:
    explicit Form1SettingsView(const SettingsPageControls& page) : page_(page) {}
    void SetDateTime3Text(int index, const QString& text) override;
    void SetCombo1ListIndex(int index, std::int16_t position) override;
    void SetCheck1(int index, bool checked) override;
    void SetCombo4ListIndex(std::int16_t position) override;
    void SetCombo5ListIndex(std::int16_t position) override;
    void SetCombo3ListIndex(std::int16_t position) override;
    void SetDateTime6Text(int index, const QString& text) override;
    void SetCheck3(bool checked) override;

  private:
    const SettingsPageControls& page_;
};

class Form1SettingsControls final : public device::SettingsControls {
  public:
    explicit Form1SettingsControls(const Form1Controls& controls) : c_(controls) {}
    QString cboPortText() const override;
    QString DateTime1Text() const override;
    QString DateTime2Text() const override;
    std::int16_t Combo2ListIndex() const override;
    std::int16_t Check4Value() const override;
    QString Text3Text() const override;
    std::int16_t Check1Value(int index) const override;
    QString DateTime3Text(int index) const override;
    std::int16_t Combo1ListIndex(int index) const override;
    std::int16_t Check2Value() const override;
    QString Text2Text(int index) const override;
    QString DateTime4Text() const override;
    QString DateTime5Text() const override;

  private:
    const Form1Controls& c_;
};

}  // namespace pelta::ui

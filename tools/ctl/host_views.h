#pragma once
// Where the decoder's captions and values land instead of the window's pages, and where the
// messages and the error log's lines go: all kept per address for the report.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "device/measurements_view.h"
#include "device/settings_view.h"
#include "link/error_log_sink.h"
#include "link/message_sink.h"
#include "protocol/frame.h"
#include "protocol/monitor_view.h"

namespace pelta::ctl {

// The measurement labels, as the window would show them.
struct MeasurementCaptions {
    QString Date;
    QString Time;
    QString Drift;
    QString IndoorTemperature;
    QString Humidity;
    QString OutdoorTemperature;
    QString Pressure;
};

struct MeasurementsShown {
    MeasurementCaptions Captions;
    std::optional<device::Readings> Values;  // the core's numbers, once a reply was decoded whole
};

// The settings page's fields; list positions count from 0, -1 for no selection.
struct SettingsShown {
    std::array<QString, 2> AlarmTime;
    std::array<std::int16_t, 2> AlarmDays{-1, -1};
    std::array<bool, 2> AlarmOn{false, false};
    std::int16_t ScreenMode = -1;
    std::int16_t ScreenSource = -1;  // 0 schedule, 1 sensor
    std::int16_t NightLightMode = -1;
    std::array<QString, 4> ScheduleTimes;  // night light from, to; screen from, to
    bool LunarCalendar = false;
};

class HostViews final : public device::MeasurementsView, public device::SettingsView {
  public:
    MeasurementsShown Measurements;
    SettingsShown Settings;

    void SetLabel3(const QString& caption) override { Measurements.Captions.Date = caption; }
    void SetLabel7(const QString& caption) override { Measurements.Captions.Time = caption; }
    void SetLabel4(const QString& caption) override { Measurements.Captions.Drift = caption; }
    void SetLabel5(const QString& caption) override;
    void SetLabel6(const QString& caption) override;
    void SetLabel15_0(const QString& caption) override;
    void SetLabel14_0(const QString& caption) override;

    void SetDateTime3Text(int index, const QString& text) override;
    void SetCombo1ListIndex(int index, std::int16_t position) override;
    void SetCheck1(int index, bool checked) override;
    void SetCombo4ListIndex(std::int16_t position) override { Settings.ScreenMode = position; }
    void SetCombo5ListIndex(std::int16_t position) override { Settings.ScreenSource = position; }
    void SetCombo3ListIndex(std::int16_t position) override;
    void SetDateTime6Text(int index, const QString& text) override;
    void SetCheck3(bool checked) override { Settings.LunarCalendar = checked; }
};

// Message boxes and error-log lines, as one list of problems for the address at hand.
class HostReports final : public link::MessageSink, public link::ErrorLogSink {
  public:
    QStringList Problems;

    void ShowMessage(const QString& text, link::MessageIcon icon) override;
    void WriteErrorLog(const QString& message) override { Problems << message; }
    void ReportDetail(std::int16_t, const QString&, const QString&, const QString&) override {}
};

// The traffic monitor's text box: nobody reads it here, only its length counts.
class QuietMonitorView final : public protocol::MonitorView {
  public:
    int TextBox1Length() const override { return length_; }
    void TextBox1Insert(const QString& text) override;
    void TextBox1MoveToEnd() override {}
    void TextBox1Clear() override { length_ = 0; }
    void SetLabel1(const QString&) override {}
    void SetLabel2_0(const QString&) override {}

  private:
    int length_ = 0;
};

}  // namespace pelta::ctl

#include "tools/ctl/host_views.h"

#include <QRegularExpression>

namespace pelta::ctl {

void HostViews::SetLabel5(const QString& caption) {
    Measurements.Captions.IndoorTemperature = caption;
}
void HostViews::SetLabel6(const QString& caption) {
    Measurements.Captions.Humidity = caption;
}
void HostViews::SetLabel15_0(const QString& caption) {
    Measurements.Captions.OutdoorTemperature = caption;
}
void HostViews::SetLabel14_0(const QString& caption) {
    Measurements.Captions.Pressure = caption;
}
void HostViews::SetDateTime3Text(int index, const QString& text) {
    Settings.AlarmTime.at(index) = text;
}
void HostViews::SetCombo1ListIndex(int index, std::int16_t position) {
    Settings.AlarmDays.at(index) = position;
}
void HostViews::SetCheck1(int index, bool checked) {
    Settings.AlarmOn.at(index) = checked;
}
void HostViews::SetCombo3ListIndex(std::int16_t position) {
    Settings.NightLightMode = position;
}
void HostViews::SetDateTime6Text(int index, const QString& text) {
    Settings.ScheduleTimes.at(index) = text;
}

void HostReports::ShowMessage(const QString& text, link::MessageIcon /*icon*/) {
    // A box may hold several lines; a report line holds one.
    static const QRegularExpression lineBreaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    Problems << QString(text).replace(lineBreaks, QStringLiteral("; ")).trimmed();
}

void QuietMonitorView::TextBox1Insert(const QString& text) {
    length_ += static_cast<int>(text.size());
}

}  // namespace pelta::ctl

#include "tools/ctl/watch/prom_textfile.h"

#include <QSaveFile>
#include <optional>

#include "tools/ctl/watch/number_text.h"

namespace pelta::watch {
namespace {

constexpr double kPascalsPerMmHg = 133.322;

struct Metric {
    const char* name;
    const char* type;
    const char* help;
    // The value for an address, nothing when it has none to show (a reading of an address down).
    std::optional<double> (*value)(const PromAddress&);
};

std::optional<double> IfUp(const PromAddress& a, double value) {
    return a.up ? std::optional<double>(value) : std::nullopt;
}

const std::vector<Metric>& Metrics() {
    static const std::vector<Metric> metrics = {
        {"pelta_up", "gauge", "Whether the controller answered in the last round (1) or not (0).",
         [](const PromAddress& a) { return std::optional<double>(a.up ? 1 : 0); }},
        {"pelta_indoor_temperature_celsius", "gauge", "Indoor temperature in degrees Celsius.",
         [](const PromAddress& a) { return IfUp(a, a.last.indoorTemperature); }},
        {"pelta_outdoor_temperature_celsius", "gauge", "Outdoor temperature in degrees Celsius.",
         [](const PromAddress& a) { return IfUp(a, a.last.outdoorTemperature); }},
        {"pelta_indoor_humidity_ratio", "gauge", "Indoor relative humidity, 0 to 1.",
         [](const PromAddress& a) { return IfUp(a, a.last.indoorHumidity / 100); }},
        {"pelta_outdoor_pressure_pascals", "gauge", "Outdoor air pressure in pascals.",
         [](const PromAddress& a) { return IfUp(a, a.last.outdoorPressure * kPascalsPerMmHg); }},
        {"pelta_clock_drift_seconds", "gauge",
         "Controller clock minus the computer's clock, in seconds.",
         [](const PromAddress& a) { return IfUp(a, static_cast<double>(a.last.clockDrift)); }},
        {"pelta_last_reading_timestamp_seconds", "gauge",
         "When the readings were taken, in seconds since the Unix epoch.",
         [](const PromAddress& a) {
             return IfUp(a, static_cast<double>(a.last.timestamp.toMSecsSinceEpoch()) / 1000);
         }},
        {"pelta_replies_total", "counter", "Replies that passed their CRC check.",
         [](const PromAddress& a) { return std::optional<double>(a.replies); }},
        {"pelta_bad_replies_total", "counter", "Replies that failed their CRC check.",
         [](const PromAddress& a) { return std::optional<double>(a.badReplies); }},
        {"pelta_missing_replies_total", "counter", "Requests left without a reply.",
         [](const PromAddress& a) { return std::optional<double>(a.missingReplies); }},
        {"pelta_clock_syncs_total", "counter", "Times the controller's clock was set.",
         [](const PromAddress& a) { return std::optional<double>(a.clockSyncs); }},
    };
    return metrics;
}

}  // namespace

QByteArray PromLabelValue(const QString& value) {
    QByteArray escaped;
    for (const char c : value.toUtf8()) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '"') {
            escaped += "\\\"";
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

void PromMetrics::Add(const std::vector<Reading>& round) {
    for (auto& [key, state] : addresses_) {
        state.up = false;  // an address left out of this round did not answer in it
    }
    for (const Reading& reading : round) {
        PromAddress& state = addresses_[{reading.port, reading.address}];
        state.replies += reading.replies;
        state.badReplies += reading.badReplies;
        state.missingReplies += reading.missingReplies;
        state.clockSyncs += reading.clockSynced ? 1 : 0;
        state.up = reading.ok;
        state.last = reading;
    }
}

QByteArray PromMetrics::Render() const {
    QByteArray text;
    for (const Metric& metric : Metrics()) {
        text += QByteArray("# HELP ") + metric.name + ' ' + metric.help + '\n';
        text += QByteArray("# TYPE ") + metric.name + ' ' + metric.type + '\n';
        for (const auto& [key, state] : addresses_) {
            const std::optional<double> value = metric.value(state);
            if (!value) {
                continue;
            }
            text += QByteArray(metric.name) + "{port=\"" + PromLabelValue(key.first) +
                    "\",address=\"" + QByteArray::number(key.second) + "\"} " + NumberText(*value) +
                    '\n';
        }
    }
    return text;
}

bool PromTextfile::WriteRound(const std::vector<Reading>& round, QString* error) {
    metrics_.Add(round);
    // QSaveFile writes a temporary file beside the target and renames it over the target.
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(metrics_.Render()) < 0 || !file.commit()) {
        *error = QStringLiteral("%1: %2").arg(path_, file.errorString());
        return false;
    }
    return true;
}

}  // namespace pelta::watch

#include "tools/ctl/watch_outputs.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "tools/ctl/session.h"
#include "tools/ctl/watch/number_text.h"

namespace pelta::ctl {

WatchOutputs::WatchOutputs(const WatchOrder& order, bool json, const QString& port, QString* error)
    : json_(json) {
    if (!order.MqttUrl.isEmpty()) {
        watch::MqttTarget target = watch::ParseMqttUrl(order.MqttUrl);
        watch::ReadMqttPassword(order.MqttPasswordFile, target);
        if (!target.error.isEmpty()) {
            *error = target.error;
            return;
        }
        mqtt_ = std::make_unique<watch::MqttPublisher>(target, port);
    }
    if (!order.PromFile.isEmpty()) {
        prom_.emplace(order.PromFile);
    }
    if (!order.CsvFile.isEmpty()) {
        csv_.emplace(order.CsvFile);
    }
}

void WatchOutputs::Write(const std::vector<watch::Reading>& round) {
    QString error;
    if (prom_ && !prom_->WriteRound(round, &error)) {
        PrintError(error);
    }
    if (csv_ && !csv_->Append(round, &error)) {
        PrintError(error);
    }
    if (mqtt_) {
        mqtt_->Publish(round);
    }
    if (json_) {
        for (const watch::Reading& reading : round) {
            const QByteArray line = ReadingJson(reading) + '\n';
            std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
        }
        std::fflush(stdout);
    }
}

QByteArray ReadingJson(const watch::Reading& r) {
    QJsonObject object{
        {"time", r.timestamp.toOffsetFromUtc(r.timestamp.offsetFromUtc()).toString(Qt::ISODate)},
        {"port", r.port},
        {"address", r.address},
        {"ok", r.ok}};
    if (r.ok) {
        object.insert("indoor_temperature", watch::Rounded(r.indoorTemperature));
        object.insert("outdoor_temperature", watch::Rounded(r.outdoorTemperature));
        object.insert("humidity", watch::Rounded(r.indoorHumidity));
        object.insert("pressure", watch::Rounded(r.outdoorPressure));
        object.insert("drift", static_cast<qint64>(r.clockDrift));
        object.insert("clock_synced", r.clockSynced);
    } else {
        object.insert("reason", r.reason);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

}  // namespace pelta::ctl

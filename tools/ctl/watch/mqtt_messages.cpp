#include "tools/ctl/watch/mqtt_messages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "tools/ctl/watch/number_text.h"

namespace pelta::watch {
namespace {

struct Sensor {
    const char* key;  // in the state JSON and in the topic
    const char* name;
    const char* deviceClass;
    const char* unit;
};

const Sensor kSensors[] = {
    {"indoor_temperature", "Температура дома", "temperature", "°C"},
    {"outdoor_temperature", "Температура на улице", "temperature", "°C"},
    {"indoor_humidity", "Влажность дома", "humidity", "%"},
    {"outdoor_pressure", "Давление на улице", "atmospheric_pressure", "mmHg"},
};

QString NodeId(const QString& port, int address) {
    return QStringLiteral("pelta_%1_%2").arg(TopicSafePort(port)).arg(address);
}

QByteArray Compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject DiscoveryRecord(const QString& port, int address, const Sensor& sensor) {
    const QString nodeId = NodeId(port, address);
    const QJsonObject device{
        {"identifiers", QJsonArray{nodeId}},
        {"name", QStringLiteral("Пелта %1, адрес %2").arg(port).arg(address)},
        {"manufacturer", QStringLiteral("Пелта")},
    };
    // Both topics must say "online": the publisher is there and the address answers.
    const QJsonArray availability{
        QJsonObject{{"topic", PublisherAvailabilityTopic(port)}},
        QJsonObject{{"topic", AddressAvailabilityTopic(port, address)}},
    };
    return QJsonObject{
        {"name", QString::fromUtf8(sensor.name)},
        {"unique_id", nodeId + QLatin1Char('_') + QLatin1String(sensor.key)},
        {"state_topic", StateTopic(port, address)},
        {"value_template", QStringLiteral("{{ value_json.%1 }}").arg(QLatin1String(sensor.key))},
        {"device_class", QLatin1String(sensor.deviceClass)},
        {"unit_of_measurement", QString::fromUtf8(sensor.unit)},
        {"state_class", QStringLiteral("measurement")},
        {"availability", availability},
        {"availability_mode", QStringLiteral("all")},
        {"device", device},
    };
}

}  // namespace

QString TopicSafePort(const QString& port) {
    QString safe;
    bool gap = false;
    for (const QChar c : port.toLower()) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c.isDigit()) {
            if (gap && !safe.isEmpty()) {
                safe += QLatin1Char('_');
            }
            safe += c.unicode() < 128 ? c : QLatin1Char('_');
            gap = false;
        } else if (!c.isSpace()) {
            gap = true;
        }
    }
    return safe.isEmpty() ? QStringLiteral("port") : safe;
}

QString PublisherAvailabilityTopic(const QString& port) {
    return QStringLiteral("pelta/%1/availability").arg(TopicSafePort(port));
}

QString AddressAvailabilityTopic(const QString& port, int address) {
    return QStringLiteral("pelta/%1/%2/availability").arg(TopicSafePort(port)).arg(address);
}

QString StateTopic(const QString& port, int address) {
    return QStringLiteral("pelta/%1/%2/state").arg(TopicSafePort(port)).arg(address);
}

std::vector<MqttMessage> DiscoveryMessages(const QString& port, int address) {
    std::vector<MqttMessage> messages;
    for (const Sensor& sensor : kSensors) {
        messages.push_back({QStringLiteral("homeassistant/sensor/%1/%2/config")
                                .arg(NodeId(port, address), QLatin1String(sensor.key)),
                            Compact(DiscoveryRecord(port, address, sensor))});
    }
    return messages;
}

std::vector<MqttMessage> StateMessages(const Reading& r) {
    QJsonObject state{
        {"time", r.timestamp.toOffsetFromUtc(r.timestamp.offsetFromUtc()).toString(Qt::ISODate)},
        {"ok", r.ok},
    };
    if (r.ok) {
        state.insert("indoor_temperature", Rounded(r.indoorTemperature));
        state.insert("outdoor_temperature", Rounded(r.outdoorTemperature));
        state.insert("indoor_humidity", Rounded(r.indoorHumidity));
        state.insert("outdoor_pressure", Rounded(r.outdoorPressure));
        state.insert("clock_drift", static_cast<qint64>(r.clockDrift));
    } else {
        state.insert("reason", r.reason);
    }
    return {
        {AddressAvailabilityTopic(r.port, r.address), r.ok ? "online" : "offline"},
        {StateTopic(r.port, r.address), Compact(state)},
    };
}

}  // namespace pelta::watch

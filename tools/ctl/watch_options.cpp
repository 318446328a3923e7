#include "tools/ctl/watch_options.h"

#include <cmath>

#include "tools/ctl/command_orders.h"
#include "tools/ctl/watch/mqtt_url.h"

namespace pelta::ctl {
namespace {

QCommandLineOption Value(const char* name, const char* description, const char* valueName) {
    return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                              QString::fromUtf8(valueName));
}

// A positive number of seconds, with a point or a comma; a week at most, so that a typo in
// the interval is never read as "wait for ever".
double Seconds(const QCommandLineParser& parser, const char* name) {
    const QString text = parser.value(QString::fromLatin1(name));
    bool ok = false;
    const double seconds = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    constexpr double kWeek = 7 * 24 * 3600;
    if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > kWeek) {
        throw CommandLineError(QStringLiteral("--%1: нужно положительное число секунд, не \"%2\"")
                                   .arg(QString::fromLatin1(name), text));
    }
    return seconds;
}

}  // namespace

QList<QCommandLineOption> WatchOptionList() {
    return {
        Value("interval", "watch: период опроса, с (по умолчанию 60)", "S"),
        Value("prom", "watch: файл метрик Prometheus (textfile collector)", "FILE"),
        Value("csv", "watch: файл CSV, строки дописываются", "FILE"),
        Value("mqtt", "watch: брокер MQTT mqtt://[USER@]HOST[:PORT]", "URL"),
        Value("mqtt-password-file", "watch: файл с паролем MQTT (первая строка)", "FILE"),
        Value("sync-clock-above", "watch: установить часы, если уход больше S секунд", "S"),
    };
}

QStringList WatchOptionNames() {
    QStringList names;
    for (const QCommandLineOption& option : WatchOptionList()) {
        names << option.names().constFirst();
    }
    return names;
}

WatchOrder ReadWatch(const QCommandLineParser& parser) {
    WatchOrder order;
    if (parser.isSet(QStringLiteral("interval"))) {
        order.IntervalSeconds = Seconds(parser, "interval");
    }
    if (parser.isSet(QStringLiteral("sync-clock-above"))) {
        order.SyncClockAbove = Seconds(parser, "sync-clock-above");
    }
    order.PromFile = parser.value(QStringLiteral("prom"));
    order.CsvFile = parser.value(QStringLiteral("csv"));
    order.MqttUrl = parser.value(QStringLiteral("mqtt"));
    order.MqttPasswordFile = parser.value(QStringLiteral("mqtt-password-file"));
    if (!order.MqttUrl.isEmpty()) {
        const QString refused = watch::ParseMqttUrl(order.MqttUrl).error;
        if (!refused.isEmpty()) {
            throw CommandLineError(QStringLiteral("--mqtt: ") + refused);
        }
    }
    if (!order.MqttPasswordFile.isEmpty() && order.MqttUrl.isEmpty()) {
        throw CommandLineError(QStringLiteral("--mqtt-password-file без --mqtt"));
    }
    return order;
}

}  // namespace pelta::ctl

#pragma once
// The options of `pelta-ctl watch`, read from the parsed command line and checked before the
// port is touched.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <optional>

namespace pelta::ctl {

struct WatchOrder {
    double IntervalSeconds = 60;
    QString PromFile;  // empty: no such output
    QString CsvFile;
    QString MqttUrl;
    QString MqttPasswordFile;
    std::optional<double> SyncClockAbove;  // seconds of drift beyond which the clock is set
};

QList<QCommandLineOption> WatchOptionList();
// The names of WatchOptionList's options, which belong to watch alone.
QStringList WatchOptionNames();
// Throws CommandLineError for an interval or a threshold that is not a positive number, or a
// password file without --mqtt.
WatchOrder ReadWatch(const QCommandLineParser& parser);

}  // namespace pelta::ctl

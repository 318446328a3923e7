#pragma once
// One address's outcome in one round of `pelta-ctl watch`, as every output (Prometheus file, CSV,
// MQTT) takes it. The readings mean something only when `ok` is set.

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace pelta::watch {

struct Reading {
    QString port;  // as the operator names it: "COM 7", "tcp://10.0.0.5:4001"
    int address = 0;
    bool ok = false;
    QString reason;                 // why there are no readings, empty when ok
    double indoorTemperature = 0;   // degrees Celsius
    double outdoorTemperature = 0;  // degrees Celsius
    double indoorHumidity = 0;      // percent
    double outdoorPressure = 0;     // mm Hg
    std::int64_t clockDrift = 0;    // seconds, positive when the controller is ahead
    QDateTime timestamp;            // when the reading was taken, with the local offset

    // This round's exchanges with the address: replies that passed their CRC, that failed it, and
    // requests left without a reply (a retried request counts each attempt).
    int replies = 0;
    int badReplies = 0;
    int missingReplies = 0;
    bool clockSynced = false;  // the controller's clock was set this round
};

}  // namespace pelta::watch

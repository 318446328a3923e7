// A stand-in for `pelta-ctl watch --mqtt`: publishes a round for "COM 7" every 200 ms (address 1
// answers, address 2 does not) until its standard input closes, and prints "slow N" for a
// Publish call that held it N ms, more than a second.
// Usage: watch_mqtt_probe HOST PORT

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "tools/ctl/watch/mqtt_publisher.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s HOST PORT\n", argv[0]);
        return 2;
    }
    pelta::watch::MqttTarget target;
    target.host = QString::fromLocal8Bit(argv[1]);
    target.port = std::atoi(argv[2]);
    pelta::watch::MqttPublisher publisher(target, QStringLiteral("COM 7"));

    pelta::watch::Reading answered;
    answered.port = QStringLiteral("COM 7");
    answered.address = 1;
    answered.ok = true;
    answered.indoorTemperature = 21.5;
    answered.outdoorTemperature = -3.25;
    answered.indoorHumidity = 45;
    answered.outdoorPressure = 750.5;
    answered.clockDrift = 2;
    pelta::watch::Reading silent;
    silent.port = answered.port;
    silent.address = 2;
    silent.reason = QStringLiteral("нет ответа");

    for (;;) {
        answered.timestamp = silent.timestamp = QDateTime::currentDateTime();
        const auto start = std::chrono::steady_clock::now();
        publisher.Publish({answered, silent});
        const auto held = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - start)
                              .count();
        if (held > 1000) {
            std::printf("slow %lld\n", static_cast<long long>(held));
            std::fflush(stdout);
        }
        pollfd input{STDIN_FILENO, POLLIN, 0};
        char byte;
        if (poll(&input, 1, 200) > 0 && read(STDIN_FILENO, &byte, 1) <= 0) {
            return 0;
        }
    }
}

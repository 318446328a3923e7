#include "tools/ctl/watch_command.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

#include "tools/ctl/actions.h"
#include "tools/ctl/session.h"
#include "tools/ctl/stop_signals.h"
#include "tools/ctl/watch_outputs.h"

namespace pelta::ctl {
namespace {

using Clock = std::chrono::steady_clock;

// The round's exchanges with one address, from the traffic monitor's counts before and after:
// every attempt of a retried request is counted, as the monitor counts it.
void CountExchanges(const protocol::LinkCounters& before, const protocol::LinkCounters& after,
                    watch::Reading& reading) {
    const int bad = std::max(0, after.BadFrames - before.BadFrames);
    const int missing = std::max(0, after.NoAnswer - before.NoAnswer);
    reading.badReplies = bad;
    reading.missingReplies = missing;
    reading.replies = std::max(0, after.Frames - before.Frames - bad - missing);
}

watch::Reading ReadingFrom(const AddressOutcome& outcome, const QString& port) {
    watch::Reading reading;
    reading.port = port;
    reading.address = outcome.Address;
    reading.timestamp = QDateTime::currentDateTime();
    const bool decoded = !outcome.Reads.empty() && outcome.Reads.front().Values.has_value();
    reading.ok = outcome.Ok() && decoded;
    reading.reason =
        outcome.Ok() && !decoded ? QStringLiteral("ответ не разобран") : outcome.Reason;
    if (reading.ok) {
        const device::Readings& values = *outcome.Reads.front().Values;
        reading.indoorTemperature = values.IndoorTemperature;
        reading.outdoorTemperature = values.OutdoorTemperature;
        reading.indoorHumidity = values.HumidityPercent;
        reading.outdoorPressure = values.PressureMm;
        reading.clockDrift = values.DriftSeconds;
    }
    return reading;
}

class Watch {
  public:
    Watch(const CtlOptions& options, CtlCore& core, const link::LinkChoices& choices)
        : options_(options), core_(core), choices_(choices), port_(core.controls.PortText) {}

    const QString& Port() const { return port_; }

    // Reads the address, and sets its clock when it has drifted too far. Nothing more is sent
    // once a stop was asked for.
    watch::Reading ReadAddress(int address, const StopSignals& stop) {
        const protocol::LinkCounters before = core_.core.Monitor().LinkStatistics();
        core_.BeginAddress(address, choices_);
        watch::Reading reading = ReadingFrom(RunAtAddress(options_, core_, address), port_);
        if (stop.Stopped()) {
            return reading;  // cut short: neither a failure to report nor a clock to set
        }
        if (!reading.ok) {
            PrintError(QStringLiteral("адрес %1: %2").arg(address).arg(reading.reason));
        } else if (DriftedTooFar(reading)) {
            SyncClock(reading);
        }
        CountExchanges(before, core_.core.Monitor().LinkStatistics(), reading);
        return reading;
    }

  private:
    bool DriftedTooFar(const watch::Reading& reading) const {
        const auto& above = options_.Watch.SyncClockAbove;
        return above && static_cast<double>(std::llabs(reading.clockDrift)) > *above;
    }

    void SyncClock(watch::Reading& reading) {
        CtlOptions sync = options_;
        sync.Command = CommandKind::SyncClock;
        core_.BeginAddress(reading.address, choices_);
        const AddressOutcome outcome = RunAtAddress(sync, core_, reading.address);
        reading.clockSynced = outcome.Ok();
        PrintError(outcome.Ok() ? QStringLiteral("адрес %1: часы установлены, уход был %2 с")
                                      .arg(reading.address)
                                      .arg(reading.clockDrift)
                                : QStringLiteral("адрес %1: часы не установлены: %2")
                                      .arg(reading.address)
                                      .arg(outcome.Reason));
    }

    const CtlOptions& options_;
    CtlCore& core_;
    link::LinkChoices choices_;
    QString port_;
};

// The start of the next round on the grid start + k * interval that lies ahead of now: a round
// that overran its interval skips the grid points it missed rather than running late forever.
Clock::time_point NextRound(Clock::time_point start, Clock::duration interval,
                            Clock::time_point now) {
    const auto elapsed = now - start;
    return start + (elapsed / interval + 1) * interval;
}

}  // namespace

int RunWatch(const CtlOptions& options, CtlCore& core, const link::LinkChoices& choices,
             const std::vector<int>& addresses) {
    QEventLoop sleeper;
    StopSignals stop([&] {
        core.core.Cycle().Abort();
        sleeper.quit();
    });
    Watch watch(options, core, choices);
    QString error;
    WatchOutputs outputs(options.Watch, options.Json, watch.Port(), &error);
    if (!error.isEmpty()) {
        PrintError(error);
        return kExitUsage;
    }
    const auto interval = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(options.Watch.IntervalSeconds));
    const Clock::time_point start = Clock::now();
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, &sleeper, &QEventLoop::quit);
    while (!stop.Stopped()) {
        std::vector<watch::Reading> round;
        for (const int address : addresses) {
            round.push_back(watch.ReadAddress(address, stop));
            if (stop.Stopped()) {
                break;
            }
        }
        if (stop.Stopped()) {
            break;  // a round cut short by the stop is left out: its last reading is no reading
        }
        outputs.Write(round);
        const auto wait = NextRound(start, interval, Clock::now()) - Clock::now();
        wake.start(std::max<std::chrono::milliseconds::rep>(
            0, std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
        sleeper.exec();
    }
    return kExitAllGood;
}

}  // namespace pelta::ctl

#pragma once
// pelta-sim on a pty in a scratch runtime folder, with the whole core below the window wired to
// it as every front wires it: SimRig rig({"--silent"}); rig.commands.Command5_Click();

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "core/controller_core.h"
#include "tests/support/fake_window.h"

namespace pelta::e2e {

class SimRig {
  public:
    explicit SimRig(const QStringList& simArgs = {});
    ~SimRig();
    SimRig(const SimRig&) = delete;
    SimRig& operator=(const SimRig&) = delete;

    // The simulator's "rx" (received) or "tx" (sent) log lines, waiting up to two seconds for
    // at least `atLeast` of them.
    QStringList ReceivedLines(int atLeast) { return LogLines(QStringLiteral(" rx "), atLeast); }
    QStringList SentLines(int atLeast) { return LogLines(QStringLiteral(" tx "), atLeast); }
    // The pseudo-terminal the simulator registered.
    QString Device() const;
    // Makes the port list hold just this URL, as COM number 20, and chooses it.
    void UseNetworkPort(const QString& url);
    // Frames, bad frames and missing replies the monitor counted.
    std::tuple<int, int, int> Counted() const {
        const protocol::LinkCounters& counted = monitor.LinkStatistics();
        return {counted.Frames, counted.BadFrames, counted.NoAnswer};
    }
    // The hex bytes of such a line ("HH:MM:SS.mmm rx 01 32 BE | ...").
    static QString LoggedHex(const QString& logLine) {
        return logLine.section(' ', 2).section('|', 0, 0).trimmed();
    }

    QCoreApplication& application;
    QTemporaryDir runtime;
    QProcess sim;
    QStringList logLines;  // what the simulator logged so far
    link::SerialMapRoots roots{runtime.path().toStdString() + "/pelta/serialcomm",
                               "/nonexistent-sysfs", "/dev"};
    pelta::testing::FakeWindow window;
    core::ControllerCore core;
    // The parts the tests reach most.
    link::LinkSettingsModel& settings;
    protocol::TrafficMonitor& monitor;
    device::SettingsCommands& commands;

  private:
    QStringList LogLines(const QString& marker, int atLeast);
};

}  // namespace pelta::e2e

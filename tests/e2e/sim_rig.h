#pragma once
// pelta-sim on a pty in a scratch runtime folder, with the whole core below the window wired to
// it as the application wires it: SimRig rig({"--silent"}); rig.commands.Command5_Click();

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "device/reply_decoder.h"
#include "device/settings_commands.h"
#include "link/link_settings.h"
#include "link/port_discovery.h"
#include "link/serial_link.h"
#include "link/termios_port_api.h"
#include "protocol/poll_cycle.h"
#include "protocol/qt_event_waiter.h"
#include "protocol/traffic_monitor.h"
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
    link::TermiosPortApi api{roots};
    link::SerialChannel channel{api, window};
    link::PortDiscovery discovery{roots};
    link::LinkSettingsModel settings{channel, window, window};
    link::SerialLink serialLink{channel, discovery, settings};
    protocol::QtEventWaiter events;
    protocol::TrafficMonitor monitor{window, events};
    device::ControllerState state;
    device::ControllerReplyDecoder decoder{state, window, window, window,
                                           [this] { return cycle.ReplyMoment(); }};
    protocol::PollCycle cycle{{window, events, serialLink, settings, monitor, decoder, state}};
    device::SettingsCommands commands{window, state, cycle, window};

  private:
    QStringList LogLines(const QString& marker, int atLeast);
};

}  // namespace pelta::e2e

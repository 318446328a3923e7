#pragma once
// Drives the controller simulator and the program's core from a test in a few lines:
//
//     SimRig rig({"--silent"});          // starts pelta-sim on a pty in a scratch runtime dir
//     rig.commands->Command5_Click();    // the "Обновить" button
//     rig.window.Labels["Label5"] ...    // what the window would show
//
// Everything below the window is real: the termios channel, the port map, the poll cycle with
// its event-loop waits, the monitor, the decoder and the settings commands.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

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

// The simulator as a child process registered in a scratch serial map.
class SimProcess {
  public:
    SimProcess(const QString& runtimeDir, const QStringList& extraArgs);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    int ComNumber() const { return com_; }
    // The log lines seen so far (waiting up to `waitMs` for at least `atLeast` "rx" lines).
    QStringList ReceivedLines(int atLeast, int waitMs = 2000);

  private:
    void ReadAvailable();

    QProcess process_;
    QStringList lines_;
    int com_ = 0;
};

// The whole core wired as the application wires it, against a running simulator.
class SimRig {
  public:
    explicit SimRig(const QStringList& simArgs = {});

    QTemporaryDir runtime;
    std::unique_ptr<SimProcess> sim;
    pelta::testing::FakeWindow window;
    std::unique_ptr<link::TermiosPortApi> api;
    std::unique_ptr<link::SerialChannel> channel;
    std::unique_ptr<link::PortDiscovery> discovery;
    std::unique_ptr<link::LinkSettingsModel> settings;
    std::unique_ptr<link::SerialLink> serialLink;
    protocol::QtEventWaiter events;
    std::unique_ptr<protocol::TrafficMonitor> monitor;
    device::ControllerState state;
    std::unique_ptr<device::ControllerReplyDecoder> decoder;
    std::unique_ptr<protocol::PollCycle> cycle;
    std::unique_ptr<device::SettingsCommands> commands;
};

}  // namespace pelta::e2e

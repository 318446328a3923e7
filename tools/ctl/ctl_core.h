#pragma once
// The core wired as the window wires it, with plain objects where the window has widgets:
// the same channel, port map, link settings, poll cycle, monitor, decoder and settings commands.

#include <memory>
#include <string>

#include "device/controller_state.h"
#include "device/reply_decoder.h"
#include "device/settings_commands.h"
#include "link/link_settings.h"
#include "link/port_discovery.h"
#include "link/serial_channel.h"
#include "link/serial_link.h"
#include "link/termios_port_api.h"
#include "protocol/poll_cycle.h"
#include "protocol/qt_event_waiter.h"
#include "protocol/traffic_monitor.h"
#include "tools/ctl/host_controls.h"
#include "tools/ctl/host_views.h"

namespace pelta::ctl {

class CtlCore {
  public:
    explicit CtlCore(const link::SerialMapRoots& roots);
    CtlCore(const CtlCore&) = delete;
    CtlCore& operator=(const CtlCore&) = delete;

    // Offers one device, given by its path, as the only port under this number; a failed open
    // names the device.
    void OfferDevice(int portNumber, const std::string& devicePath);
    // Chooses the port with this COM number in the port list; false when the list has none.
    bool SelectPort(int portNumber);
    // "Применить" for one address with the line values chosen, and a clean slate for its report.
    void BeginAddress(int address, link::LinkChoices choices);

    HostControls controls;
    HostViews views;
    HostReports reports;
    QuietMonitorView monitorView;
    link::TermiosPortApi api;
    link::SerialChannel channel{api, reports};
    link::PortDiscovery discovery;
    link::LinkSettingsModel settings{channel, reports, reports};
    link::SerialLink serialLink{channel, discovery, settings};
    protocol::QtEventWaiter events;
    protocol::TrafficMonitor monitor{monitorView, events};
    device::ControllerState state;
    device::ControllerReplyDecoder decoder{state, views, views, reports,
                                           [this] { return cycle.ReplyMoment(); }};
    ReplyRecorder replies{decoder};
    protocol::PollCycle cycle{{controls, events, serialLink, settings, monitor, replies, state}};
    device::SettingsCommands commands{controls, state, cycle, reports};
};

}  // namespace pelta::ctl

#pragma once
// `ControllerCore`: the widget-free core, wired once. It owns the port layer, the serial-device
// map, the error log, the link settings, the poll cycle, the traffic monitor, the controller
// state, the reply decoder and the settings commands, and does the start-up steps (reply
// lengths, the port list). A front (the window, pelta-ctl, a test rig, a benchmark) holds one
// and hands it only its views and controls.

#include <QString>
#include <memory>
#include <optional>

#include "core/exchange_outcome.h"
#include "core/recorders.h"
#include "device/controller_state.h"
#include "device/reply_decoder.h"
#include "device/settings_commands.h"
#include "device/settings_controls.h"
#include "device/settings_view.h"
#include "link/link_settings.h"
#include "link/port_api.h"
#include "link/port_discovery.h"
#include "link/serial_channel.h"
#include "link/serial_link.h"
#include "link/serial_map.h"
#include "protocol/error_log.h"
#include "protocol/event_waiter.h"
#include "protocol/monitor_view.h"
#include "protocol/poll_cycle.h"
#include "protocol/poll_host.h"
#include "protocol/traffic_monitor.h"

namespace pelta::core {

// What a front shows and what its controls hold, as the core sees them.
struct CoreViews {
    protocol::PollHost& Poll;
    protocol::MonitorView& Monitor;
    device::MeasurementsView& Measurements;
    device::SettingsView& Settings;
    device::SettingsControls& Controls;
    link::MessageSink& Messages;
};

struct CoreOptions {
    std::unique_ptr<link::PortApi> PortApi;        // none: the real serial ports
    std::optional<link::SerialMapRoots> MapRoots;  // none: the user's serial-device map
    QString ErrorLogFolder;                        // empty: errors.log where it belongs
    // Where the link settings report the errors met while working out line parameters; none:
    // the error log. pelta-ctl reports them per address instead.
    link::ErrorLogSink* LinkErrors = nullptr;
    // How waits run window events; none: on the Qt event loop.
    std::unique_ptr<protocol::EventWaiter> Events;
};

class ControllerCore {
  public:
    explicit ControllerCore(const CoreViews& views, CoreOptions options = {});
    ~ControllerCore();
    ControllerCore(const ControllerCore&) = delete;
    ControllerCore& operator=(const ControllerCore&) = delete;

    // The operator's actions as the window's buttons do them, each answered with what happened.
    ReadOutcome ReadMeasurements();
    ExchangeOutcome ReadSettings();
    ExchangeOutcome SendClock();
    ExchangeOutcome SendAlarm(int index);
    ExchangeOutcome SendEvent();
    // The numbers of a state reply heard on the line (a passive listener's), through the same
    // decoder; none when the reply does not decode whole.
    std::optional<device::Readings> DecodeReadings(const protocol::Frame& stateReply);

    link::PortApi& PortLayer() { return *api_; }
    const link::SerialMapRoots& MapRoots() const { return roots_; }
    protocol::ErrorLog& ErrorLog() { return errorLog_; }
    link::SerialChannel& Channel() { return channel_; }
    link::PortDiscovery& Discovery() { return discovery_; }
    link::LinkSettingsModel& LinkSettings() { return settings_; }
    link::SerialLink& Link() { return link_; }
    protocol::EventWaiter& Events() { return *events_; }
    protocol::TrafficMonitor& Monitor() { return monitor_; }
    device::ControllerState& State() { return state_; }
    protocol::PollCycle& Cycle() { return cycle_; }
    device::SettingsCommands& Commands() { return commands_; }

  private:
    // Runs an action with fresh recorders and judges what it did.
    template <typename Action>
    ExchangeOutcome Recorded(Action action);

    link::SerialMapRoots roots_;
    std::unique_ptr<link::PortApi> api_;
    std::unique_ptr<protocol::EventWaiter> events_;
    protocol::ErrorLog errorLog_;
    ShownRecorder shown_;
    link::SerialChannel channel_;
    link::PortDiscovery discovery_;
    link::LinkSettingsModel settings_;
    link::SerialLink link_;
    protocol::TrafficMonitor monitor_;
    device::ControllerState state_;
    device::ControllerReplyDecoder decoder_;
    ReplyRecorder replies_;
    protocol::PollCycle cycle_;
    device::SettingsCommands commands_;
};

}  // namespace pelta::core

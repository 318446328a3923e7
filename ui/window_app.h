#pragma once
// The running program: one instance of each subsystem's program-wide object, wired to the
// main window and to each other. Tests build their own with a port layer and serial-device
// map of their choosing.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "device/controller_state.h"
#include "device/reply_decoder.h"
#include "device/settings_commands.h"
#include "link/link_settings.h"
#include "link/port_api.h"
#include "link/port_discovery.h"
#include "link/serial_channel.h"
#include "link/serial_link.h"
#include "link/serial_map.h"
#include "protocol/error_log.h"
#include "protocol/poll_cycle.h"
#include "protocol/qt_event_waiter.h"
#include "protocol/traffic_monitor.h"
#include "ui/form1.h"
#include "ui/form1_pictures.h"

namespace pelta::ui {

struct WindowAppOptions {
    std::unique_ptr<link::PortApi> PortApi;        // none: the real serial ports
    std::optional<link::SerialMapRoots> MapRoots;  // none: the user's serial-device map
    QString ErrorLogFolder;                        // empty: errors.log where it belongs
    QString RememberedSettingsPath;                // empty: $XDG_CONFIG_HOME/pelta/pelta.conf
    QStringList PictureFolders = DefaultPictureFolders();
};

class WindowApp {
  public:
    explicit WindowApp(WindowAppOptions options = {});
    ~WindowApp();
    WindowApp(const WindowApp&) = delete;
    WindowApp& operator=(const WindowApp&) = delete;

    // Fills the window (its Form_Load) and restores what it remembers; call once before
    // showing it.
    void Start();

    Form1& Window() { return form_; }
    link::PortApi& PortLayer() { return *api_; }
    link::SerialChannel& Channel() { return channel_; }
    link::PortDiscovery& Discovery() { return discovery_; }
    link::LinkSettingsModel& LinkSettings() { return settings_; }
    protocol::PollCycle& Cycle() { return cycle_; }
    protocol::TrafficMonitor& Monitor() { return monitor_; }
    device::ControllerState& State() { return state_; }

  private:
    static link::SerialMapRoots RootsFrom(const WindowAppOptions& options);

    link::SerialMapRoots roots_;
    QString rememberedPath_;
    std::unique_ptr<link::PortApi> api_;
    Form1 form_;
    link::SerialChannel channel_;
    link::PortDiscovery discovery_;
    protocol::ErrorLog errorLog_;
    link::LinkSettingsModel settings_;
    link::SerialLink link_;
    protocol::QtEventWaiter waiter_;
    protocol::TrafficMonitor monitor_;
    device::ControllerState state_;
    device::ControllerReplyDecoder decoder_;
    protocol::PollCycle cycle_;
    device::SettingsCommands commands_;
};

}  // namespace pelta::ui

#pragma once
// The running program: the main window and the core it holds, wired to each other. Tests build
// their own with a port layer and serial-device map of their choosing.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "core/controller_core.h"
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
    core::ControllerCore& Core() { return core_; }
    link::PortApi& PortLayer() { return core_.PortLayer(); }
    link::SerialChannel& Channel() { return core_.Channel(); }
    link::PortDiscovery& Discovery() { return core_.Discovery(); }
    link::LinkSettingsModel& LinkSettings() { return core_.LinkSettings(); }
    protocol::PollCycle& Cycle() { return core_.Cycle(); }
    protocol::TrafficMonitor& Monitor() { return core_.Monitor(); }
    device::ControllerState& State() { return core_.State(); }

  private:
    QString rememberedPath_;
    Form1 form_;
    core::ControllerCore core_;
};

}  // namespace pelta::ui

#include "ui/window_app.h"

#include "link/termios_port_api.h"

namespace pelta::ui {

namespace {

std::unique_ptr<link::PortApi> PortLayerFrom(WindowAppOptions& options,
                                             const link::SerialMapRoots& roots) {
    if (options.PortApi != nullptr) {
        return std::move(options.PortApi);
    }
    return std::make_unique<link::TermiosPortApi>(roots);
}

protocol::ErrorLog ErrorLogFrom(const WindowAppOptions& options) {
    return options.ErrorLogFolder.isEmpty() ? protocol::ErrorLog()
                                            : protocol::ErrorLog(options.ErrorLogFolder);
}

}  // namespace

link::SerialMapRoots WindowApp::RootsFrom(const WindowAppOptions& options) {
    return options.MapRoots.value_or(link::DefaultSerialMapRoots());
}

WindowApp::WindowApp(WindowAppOptions options)
    : roots_(RootsFrom(options)),
      rememberedPath_(options.RememberedSettingsPath.isEmpty() ? link::RememberedSettingsPath()
                                                               : options.RememberedSettingsPath),
      api_(PortLayerFrom(options, roots_)),
      form_(options.PictureFolders),
      channel_(*api_, form_),
      discovery_(roots_, &errorLog_),
      errorLog_(ErrorLogFrom(options)),
      settings_(channel_, errorLog_, form_),
      link_(channel_, discovery_, settings_),
      monitor_(form_.MonitorView(), waiter_),
      decoder_(state_, form_.MeasurementsView(), form_.SettingsView(), form_,
               [this] { return cycle_.ReplyMoment(); }),
      cycle_(protocol::PollCycle::Parts{form_.PollHostView(), waiter_, link_, settings_, monitor_,
                                        decoder_, state_}),
      commands_(form_.SettingsControls(), state_, cycle_, form_) {
    form_.Bind({discovery_, settings_, channel_, cycle_, commands_});
}

WindowApp::~WindowApp() = default;

void WindowApp::Start() {
    form_.Form_Load();
    form_.RestoreRemembered(rememberedPath_);
}

}  // namespace pelta::ui

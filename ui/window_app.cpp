#include "ui/window_app.h"

namespace pelta::ui {
namespace {

core::CoreOptions CoreOptionsFrom(WindowAppOptions& options) {
    core::CoreOptions core;
    core.PortApi = std::move(options.PortApi);
    core.MapRoots = options.MapRoots;
    core.ErrorLogFolder = options.ErrorLogFolder;
    return core;
}

}  // namespace

WindowApp::WindowApp(WindowAppOptions options)
    : rememberedPath_(options.RememberedSettingsPath.isEmpty() ? link::RememberedSettingsPath()
                                                               : options.RememberedSettingsPath),
      form_(options.PictureFolders),
      core_({form_.PollHostView(), form_.MonitorView(), form_.MeasurementsView(),
             form_.SettingsView(), form_.SettingsControls(), form_},
            CoreOptionsFrom(options)) {
    form_.Bind({core_.Discovery(), core_.LinkSettings(), core_.Channel(), core_.Cycle(),
                core_.Commands()});
}

WindowApp::~WindowApp() = default;

void WindowApp::Start() {
    form_.Form_Load();
    form_.RestoreRemembered(rememberedPath_);
}

}  // namespace pelta::ui

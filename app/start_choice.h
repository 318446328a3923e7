#pragma once
// What a start of the window program does, decided from its command line and environment
// before any Qt application object exists: Qt aborts when it finds no platform to draw on,
// so "--help" must be answered, and a missing display named, before one is built.

#include <functional>
#include <string>
#include <vector>

namespace pelta::app {

enum class StartChoice { Window, Help, Version, NoDisplay };

// `arguments` without the program's name; `environment` gives a variable's value, empty when
// it is unset. A display is DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM or Qt's -platform option.
StartChoice ChooseStart(const std::vector<std::string>& arguments,
                        const std::function<std::string(const char*)>& environment);

const char* HelpText();
const char* NoDisplayText();

}  // namespace pelta::app

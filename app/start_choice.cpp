#include "app/start_choice.h"

#include <algorithm>

namespace pelta::app {

StartChoice ChooseStart(const std::vector<std::string>& arguments,
                        const std::function<std::string(const char*)>& environment) {
    const auto given = [&](std::initializer_list<const char*> names) {
        return std::any_of(arguments.begin(), arguments.end(), [&](const std::string& argument) {
            return std::find(names.begin(), names.end(), argument) != names.end();
        });
    };
    if (given({"-h", "--help", "-?"})) {
        return StartChoice::Help;
    }
    if (given({"-v", "--version"})) {
        return StartChoice::Version;
    }
    const bool display = !environment("DISPLAY").empty() ||
                         !environment("WAYLAND_DISPLAY").empty() ||
                         !environment("QT_QPA_PLATFORM").empty() || given({"-platform"});
    return display ? StartChoice::Window : StartChoice::NoDisplay;
}

const char* HelpText() {
    return "Использование: pelta [ПАРАМЕТРЫ-QT]\n"
           "Окно, в котором настраивают контроллер табло и следят за ним по последовательной\n"
           "линии: часы, календарь, температура, влажность, давление, будильники, событие.\n"
           "\n"
           "  -h, --help     эта справка\n"
           "  -v, --version  версия программы\n"
           "Параметры Qt (например -platform offscreen) передаются Qt.\n"
           "Окну нужен дисплей: DISPLAY, WAYLAND_DISPLAY или QT_QPA_PLATFORM (offscreen\n"
           "работает без дисплея). Подробнее: man pelta.\n";
}

const char* NoDisplayText() {
    return "pelta: нет дисплея для окна (не заданы DISPLAY, WAYLAND_DISPLAY и QT_QPA_PLATFORM)\n";
}

}  // namespace pelta::app

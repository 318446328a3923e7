#include "link/xdg_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace pelta::link {
namespace {

bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); IsAbsolute(home)) {
        return home;
    }
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr && IsAbsolute(entry->pw_dir) ? entry->pw_dir : std::string();
}

}  // namespace

std::string XdgBaseFolder(const char* variable, std::string_view belowHome) {
    if (const char* base = std::getenv(variable); IsAbsolute(base)) {
        return base;
    }
    const std::string home = HomeFolder();
    return home.empty() ? home : home + std::string(belowHome);
}

std::string ConfigFilePath(std::string_view name) {
    const std::string base = XdgBaseFolder("XDG_CONFIG_HOME", "/.config");
    return base.empty() ? base : base + "/pelta/" + std::string(name);
}

}  // namespace pelta::link

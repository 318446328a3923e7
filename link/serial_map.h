#pragma once
// The Linux serial-device map: which device each "COM<n>" names. Links named COM<n> in the map
// folder come first; the kernel's real serial devices (/sys/class/tty) take the numbers
// COM1, COM2, ... that no link holds. Standard library only: the simulator shares this file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelta::link {

struct SerialMapEntry {
    int Number = 0;          // n of COM<n>
    std::string DevicePath;  // what to open: the link in the map folder, or /dev/<name>
};

struct SerialMapRoots {
    std::string MapFolder;  // default: SerialMapFolder()
    std::string SysfsTty;   // default: /sys/class/tty
    std::string DevFolder;  // default: /dev
};

// $XDG_RUNTIME_DIR/pelta/serialcomm, or /tmp/pelta-<uid>/serialcomm without XDG_RUNTIME_DIR.
std::string SerialMapFolder();
SerialMapRoots DefaultSerialMapRoots();

// All ports present, sorted by number. An unreadable folder contributes nothing.
std::vector<SerialMapEntry> ReadSerialMap(const SerialMapRoots& roots);

// "COM8" or "\\.\COM12" -> 8 or 12; nothing for other names.
std::optional<int> PortNumberOfDeviceName(std::string_view deviceName);

// The device path a name resolves to, or nothing when the map has no such port.
std::optional<std::string> ResolveDeviceName(std::string_view deviceName,
                                             const SerialMapRoots& roots);

}  // namespace pelta::link

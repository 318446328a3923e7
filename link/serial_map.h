#pragma once
// The Linux serial-device map: which device each "COM<n>" names. Links named COM<n> in the map
// folder keep their numbers; the kernel's real serial devices (/sys/class/tty) keep the numbers
// remembered for them in ports.conf, and new ones take the lowest free numbers
// (com_numbering.h); the network ports ports.conf names ("COM20 rfc2217://host:4001") are
// listed under their numbers. Standard library only: the simulator shares this file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/private_folder.h"
#include "link/remembered_ports.h"

namespace pelta::link {

struct SerialMapEntry {
    int Number = 0;  // n of COM<n>
    // What to open: a link's target as the link named it, else the device's by-id or by-path
    // link (which follows the device wherever the kernel puts it), else /dev/<name>; for a
    // network port its URL.
    std::string DevicePath;
    std::string Identity;  // what ports.conf remembers the number by; empty for a link

    friend bool operator==(const SerialMapEntry&, const SerialMapEntry&) = default;
};

// Where the map is read from. The fields left empty are not read: tests on scratch trees
// neither see the machine's udev links nor touch the user's ports.conf.
struct SerialMapRoots {
    std::string MapFolder;  // default: SerialMapFolder()
    std::string SysfsTty;   // default: /sys/class/tty
    std::string DevFolder;  // default: /dev
    // The map folder is used only when it and the folders above it up to this one are the
    // user's own (private_folder.h). Default: the map folder's parent.
    std::string MapFolderTop = {};
    std::string ById = {};       // default: /dev/serial/by-id
    std::string ByPath = {};     // default: /dev/serial/by-path
    std::string PortsFile = {};  // default: PortsFilePath()
};

// $XDG_RUNTIME_DIR/pelta/serialcomm, or /tmp/pelta-<uid>/serialcomm without XDG_RUNTIME_DIR.
std::string SerialMapFolder();
// $XDG_CONFIG_HOME/pelta/ports.conf, or ~/.config/pelta/ports.conf; empty without a home.
std::string PortsFilePath();
SerialMapRoots DefaultSerialMapRoots();

struct SerialMap {
    std::vector<SerialMapEntry> Entries;  // sorted by number
    // What ports.conf should hold now, and whether that differs from what it holds.
    RememberedPorts Remembered;
    bool RememberedChanged = false;
    // The map folder's check: its links are read only when Trust is Own.
    FolderCheck MapFolderCheck;
};

// All ports present. An unreadable folder contributes nothing; ports.conf is only read.
SerialMap ReadSerialMap(const SerialMapRoots& roots);

// "COM8" or "\\.\COM12" -> 8 or 12; nothing for other names.
std::optional<int> PortNumberOfDeviceName(std::string_view deviceName);

// The device path a name resolves to, or nothing when the map has no such port. A device path
// ("/dev/pts/3", "/dev/serial/by-id/...") names itself: the port list opens the device it
// showed by its path.
std::optional<std::string> ResolveDeviceName(std::string_view deviceName,
                                             const SerialMapRoots& roots);

}  // namespace pelta::link

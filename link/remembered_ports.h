#pragma once
// The COM numbers given to real serial devices, by each device's stable identity, as kept in
// ports.conf: one "COM<n> <identity>" line per device, "#" lines are comments. A file that
// cannot be read whole, or holds any line that is not of that form, a number twice or an
// identity twice, remembers nothing. Standard library only: the simulator shares this file.

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace pelta::link {

// Identity ("by-id/usb-FTDI_...", "by-path/pci-...", "ttyS0", or a network port's URL,
// "rfc2217://host:4001") -> COM number.
using RememberedPorts = std::map<std::string, int>;

// Nothing for a damaged text.
std::optional<RememberedPorts> ParseRememberedPorts(std::string_view text);
std::string FormatRememberedPorts(const RememberedPorts& ports);

struct RememberedPortsFile {
    RememberedPorts Ports;
    bool Sound = false;  // false: missing, unreadable or damaged, so to be written afresh
};
RememberedPortsFile ReadRememberedPorts(const std::string& path);

}  // namespace pelta::link

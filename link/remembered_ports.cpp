#include "link/remembered_ports.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "link/serial_map.h"

namespace pelta::link {
namespace {

constexpr std::string_view Header =
    "# COM numbers given to serial devices; pelta keeps this file.\n";

// Device identities are udev link names or kernel device names: printable, no blanks.
bool IsIdentity(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < '\x7f'; });
}

// "COM<n> <identity>".
bool ParseLine(std::string_view line, RememberedPorts& ports, std::set<int>& numbers) {
    const auto space = line.find(' ');
    if (line.substr(0, 3) != "COM" || space == std::string_view::npos) {
        return false;
    }
    const auto number = PortNumberOfDeviceName(line.substr(0, space));
    const std::string_view identity = line.substr(space + 1);
    if (!number || !IsIdentity(identity)) {
        return false;
    }
    return numbers.insert(*number).second && ports.emplace(identity, *number).second;
}

}  // namespace

std::optional<RememberedPorts> ParseRememberedPorts(std::string_view text) {
    RememberedPorts ports;
    std::set<int> numbers;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (!ParseLine(line, ports, numbers)) {
            return std::nullopt;
        }
    }
    return ports;
}

std::string FormatRememberedPorts(const RememberedPorts& ports) {
    std::string text(Header);
    for (const auto& [identity, number] : ports) {
        text += "COM" + std::to_string(number) + " " + identity + "\n";
    }
    return text;
}

RememberedPortsFile ReadRememberedPorts(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (!file || !(text << file.rdbuf())) {
        return {};
    }
    auto ports = ParseRememberedPorts(text.str());
    if (!ports) {
        return {};
    }
    return {std::move(*ports), true};
}

}  // namespace pelta::link

#pragma once
// Network port names: "tcp://HOST:PORT" (raw bytes, the line settings are the server's own) and
// "rfc2217://HOST:PORT" (Telnet with COM-port control: the settings chosen are sent). HOST is a
// name, an IPv4 address or an IPv6 address in brackets. Standard library only.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelta::link {

struct PortUrl {
    enum class Kind : std::uint8_t { Raw, Rfc2217 };
    Kind Protocol = Kind::Raw;
    std::string Host;  // without the brackets of an IPv6 address
    std::uint16_t Port = 0;

    friend bool operator==(const PortUrl&, const PortUrl&) = default;
};

// True for a name with a scheme ("...://"), which no serial device name has.
bool IsNetworkPortName(std::string_view name);

// Nothing for an unknown scheme, an empty host, a port outside 1-65535 or anything after it.
std::optional<PortUrl> ParsePortUrl(std::string_view name);

}  // namespace pelta::link

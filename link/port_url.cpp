#include "link/port_url.h"

#include <charconv>

namespace pelta::link {
namespace {

std::optional<std::uint16_t> ParsePortNumber(std::string_view text) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace

bool IsNetworkPortName(std::string_view name) {
    return name.find("://") != std::string_view::npos;
}

std::optional<PortUrl> ParsePortUrl(std::string_view name) {
    PortUrl url;
    std::string_view rest;
    if (name.starts_with("tcp://")) {
        rest = name.substr(6);
    } else if (name.starts_with("rfc2217://")) {
        url.Protocol = PortUrl::Kind::Rfc2217;
        rest = name.substr(10);
    } else {
        return std::nullopt;
    }
    std::string_view host;
    if (rest.starts_with('[')) {
        const auto close = rest.find(']');
        if (close == std::string_view::npos || rest.substr(close + 1, 1) != ":") {
            return std::nullopt;
        }
        host = rest.substr(1, close - 1);
        rest.remove_prefix(close + 2);
    } else {
        const auto colon = rest.rfind(':');
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        host = rest.substr(0, colon);
        rest.remove_prefix(colon + 1);
    }
    // A bare IPv6 address without brackets has colons in what would be the host.
    const bool hostOk = !host.empty() && host.find_first_of("/[]@ ") == std::string_view::npos &&
                        (name[name.find("://") + 3] == '[' || host.find(':') == host.npos);
    const auto port = ParsePortNumber(rest);
    if (!hostOk || !port) {
        return std::nullopt;
    }
    url.Host = std::string(host);
    url.Port = *port;
    return url;
}

}  // namespace pelta::link

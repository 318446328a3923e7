#pragma once
// Connecting to a terminal server within a bound: every address the host name gives is tried
// in turn until one accepts or the time is up. Standard library and POSIX only.

#include <string>

#include "link/port_url.h"

namespace pelta::link {

struct TcpConnection {
    int Fd = -1;      // non-blocking, close-on-exec, above the standard descriptors
    int Error = 0;    // the errno of the failure when Fd is -1
    std::string Why;  // "Connection refused", "Name or service not known"
};

TcpConnection ConnectTcp(const PortUrl& url, int boundMs);

}  // namespace pelta::link

#pragma once
// One open network port: a connected socket to a terminal server, raw or with Telnet COM-port
// control, read and written with the Win32 time-out rules. Every call returns 0 or an errno.

#include <cstdint>
#include <string>
#include <vector>

#include "link/port_api.h"
#include "link/port_url.h"
#include "link/telnet_codec.h"

namespace pelta::link {

class NetworkPort {
  public:
    // Takes the connected socket; a Telnet port offers its options at once. boundMs limits
    // each wait for the server's answers.
    NetworkPort(int fd, PortUrl::Kind kind, int boundMs);
    ~NetworkPort();
    NetworkPort(const NetworkPort&) = delete;
    NetworkPort& operator=(const NetworkPort&) = delete;

    CommTimeouts Timeouts{};

    // Raw: nothing to do, the line settings are the server's. Telnet: sends the settings and
    // waits for the server's answers; a value answered differently is refused with EINVAL,
    // an answer missing with ETIMEDOUT, and *what names the value.
    int Configure(const Dcb& dcb, std::string* what);
    int Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* bytesRead);
    int Write(const std::uint8_t* buffer, std::uint32_t count, std::uint32_t* bytesWritten);
    // Asks a Telnet server to drop what it holds for us, then discards what already arrived.
    int PurgeReceived();

  private:
    enum class Pulled : std::uint8_t { Bytes, Nothing, Failed };
    // Waits up to waitMs (-1: no limit) for the socket, then takes one read's worth.
    Pulled Pull(int waitMs);
    int Send(std::string_view wire, int waitMs);
    int WaitForComPortOption(int waitMs, std::string* what);
    bool IsTelnet() const { return kind_ == PortUrl::Kind::Rfc2217; }

    int fd_;
    PortUrl::Kind kind_;
    int boundMs_;
    telnet::TelnetReceiver receiver_;
    std::string received_;  // the line's bytes not yet read
    std::vector<telnet::ComPortReply> replies_;
    int error_ = 0;  // why the socket failed, once it has; 0 for an orderly end
    bool ended_ = false;
};

}  // namespace pelta::link

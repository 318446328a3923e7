#pragma once
// The line settings of a Dcb as RFC 2217 commands, and which of them a server's reply answers.
// Standard library only.

#include <string>
#include <vector>

#include "link/port_api.h"
#include "link/telnet_codec.h"

namespace pelta::link {

struct ComPortSetting {
    telnet::ComPortCommand Command;
    std::string Value;
    const char* Name;  // how a refusal names it: "speed", "parity", ...
    // Servers on pseudo-terminals often never answer DTR and RTS; nothing waits for those.
    bool MustBeAnswered = true;
};

// Speed, data bits, parity, stop bits, flow control (XON/XOFF or RTS/CTS when the Dcb asks for
// it, else none), then DTR and RTS off, as a local adapter runs them.
std::vector<ComPortSetting> ComPortSettingsFor(const Dcb& dcb);

// The position of the setting a reply answers, or -1. SET-CONTROL replies are told apart by
// their value's group (outbound flow control, DTR, RTS).
int SettingAnswered(const std::vector<ComPortSetting>& settings, const telnet::ComPortReply& reply);

}  // namespace pelta::link

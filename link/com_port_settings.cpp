#include "link/com_port_settings.h"

namespace pelta::link {
namespace {

using telnet::ComPortCommand;

// Flow-control bits of the Win32 DCB flags word.
constexpr std::uint32_t OutxCtsFlow = 1U << 2;
constexpr std::uint32_t OutX = 1U << 8;

std::string Byte(unsigned value) {
    return std::string(1, static_cast<char>(value));
}

std::uint8_t StopSizeCode(std::uint8_t stopBits) {
    switch (stopBits) {
        case StopBitsCode::OneAndHalf:
            return 3;
        case StopBitsCode::Two:
            return 2;
        default:
            return 1;
    }
}

std::uint8_t FlowControlCode(std::uint32_t flags) {
    if ((flags & OutxCtsFlow) != 0) {
        return telnet::Control::Hardware;
    }
    return (flags & OutX) != 0 ? telnet::Control::XonXoff : telnet::Control::NoFlowControl;
}

// SET-CONTROL values come in groups: 0-3 and 17-19 outbound flow, 4-6 BREAK, 7-9 DTR,
// 10-12 RTS, 13-16 inbound flow.
int ControlGroup(std::uint8_t value) {
    if (value <= 3 || (value >= 17 && value <= 19)) {
        return 0;
    }
    for (const int last : {6, 9, 12, 16}) {
        if (value <= last) {
            return last;
        }
    }
    return -1;
}

}  // namespace

std::vector<ComPortSetting> ComPortSettingsFor(const Dcb& dcb) {
    // Dcb parity codes run none, odd, even, mark, space from 0; RFC 2217's from 1.
    return {
        {ComPortCommand::SetBaudRate, telnet::BaudRateValue(dcb.BaudRate), "speed"},
        {ComPortCommand::SetDataSize, Byte(dcb.ByteSize), "data bits"},
        {ComPortCommand::SetParity, Byte(dcb.Parity + 1U), "parity"},
        {ComPortCommand::SetStopSize, Byte(StopSizeCode(dcb.StopBits)), "stop bits"},
        {ComPortCommand::SetControl, Byte(FlowControlCode(dcb.Flags)), "flow control"},
        {ComPortCommand::SetControl, Byte(telnet::Control::DtrOff), "DTR", false},
        {ComPortCommand::SetControl, Byte(telnet::Control::RtsOff), "RTS", false},
    };
}

int SettingAnswered(const std::vector<ComPortSetting>& settings,
                    const telnet::ComPortReply& reply) {
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const ComPortSetting& setting = settings[i];
        if (static_cast<std::uint8_t>(setting.Command) != reply.Command) {
            continue;
        }
        if (setting.Command != ComPortCommand::SetControl ||
            (reply.Value.size() == 1 &&
             ControlGroup(static_cast<std::uint8_t>(reply.Value[0])) ==
                 ControlGroup(static_cast<std::uint8_t>(setting.Value[0])))) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace pelta::link

#include "link/telnet_codec.h"

namespace pelta::link::telnet {
namespace {

// The slot of an option we take, or -1 for any other, which is refused.
int SlotOf(std::uint8_t option) {
    switch (option) {
        case OptionBinary:
            return 0;
        case OptionComPort:
            return 1;
        default:
            return -1;
    }
}

std::string Command(std::uint8_t verb, std::uint8_t option) {
    return {static_cast<char>(Iac), static_cast<char>(verb), static_cast<char>(option)};
}

}  // namespace

std::string EncodeData(std::string_view data) {
    std::string wire;
    wire.reserve(data.size() + data.size() / 8);
    for (const char byte : data) {
        wire += byte;
        if (static_cast<std::uint8_t>(byte) == Iac) {
            wire += byte;
        }
    }
    return wire;
}

std::string ComPortRequest(ComPortCommand command, std::string_view value) {
    std::string wire{static_cast<char>(Iac), static_cast<char>(Sb),
                     static_cast<char>(OptionComPort), static_cast<char>(command)};
    wire += EncodeData(value);
    wire += static_cast<char>(Iac);
    wire += static_cast<char>(Se);
    return wire;
}

std::string BaudRateValue(std::uint32_t bitsPerSecond) {
    return {static_cast<char>(bitsPerSecond >> 24), static_cast<char>(bitsPerSecond >> 16),
            static_cast<char>(bitsPerSecond >> 8), static_cast<char>(bitsPerSecond)};
}

std::string TelnetReceiver::Offers(bool comPort) {
    std::string wire = Command(Will, OptionBinary) + Command(Do, OptionBinary);
    local_[BinarySlot] = State::Offered;
    remote_[BinarySlot] = State::Offered;
    if (comPort) {
        wire += Command(Will, OptionComPort);
        local_[ComPortSlot] = State::Offered;
    }
    return wire;
}

void TelnetReceiver::Receive(std::string_view bytes, Output& out) {
    for (const char character : bytes) {
        const auto byte = static_cast<std::uint8_t>(character);
        switch (parse_) {
            case Parse::Data:
                if (byte == Iac) {
                    parse_ = Parse::Command;
                } else {
                    out.Data += character;
                }
                break;
            case Parse::Command:
                TakeCommand(byte, out);
                break;
            case Parse::Option:
                Negotiate(verb_, byte, out);
                parse_ = Parse::Data;
                break;
            case Parse::Sub:
                if (byte == Iac) {
                    parse_ = Parse::SubCommand;
                } else if (sub_.size() < MaxSubnegotiation) {
                    sub_ += character;
                }
                break;
            case Parse::SubCommand:
                if (byte == Iac) {
                    if (sub_.size() < MaxSubnegotiation) {
                        sub_ += character;
                    }
                    parse_ = Parse::Sub;
                } else if (byte == Se) {
                    EndSubnegotiation(out);
                    parse_ = Parse::Data;
                } else {
                    // A command inside a subnegotiation ends it unfinished; the command counts.
                    sub_.clear();
                    TakeCommand(byte, out);
                }
                break;
        }
    }
}

void TelnetReceiver::TakeCommand(std::uint8_t byte, Output& out) {
    if (byte == Iac) {
        out.Data += static_cast<char>(Iac);
        parse_ = Parse::Data;
    } else if (byte >= Will) {
        verb_ = byte;
        parse_ = Parse::Option;
    } else if (byte == Sb) {
        sub_.clear();
        parse_ = Parse::Sub;
    } else {
        parse_ = Parse::Data;  // NOP, GA, BRK, a stray SE and the like carry nothing for us
    }
}

void TelnetReceiver::Negotiate(std::uint8_t verb, std::uint8_t option, Output& out) {
    switch (verb) {
        case Do:
        case Dont:
            Answer(local_, verb == Do, option, Will, Wont, out);
            if (verb == Dont && option == OptionComPort) {
                comPortRefused_ = true;
            }
            break;
        default:
            Answer(remote_, verb == Will, option, Do, Dont, out);
            break;
    }
}

// An answer is sent only when the state changes and we did not ask first: so two ends never
// answer each other's answers forever.
void TelnetReceiver::Answer(State (&side)[2], bool enable, std::uint8_t option, std::uint8_t yes,
                            std::uint8_t no, Output& out) {
    const int slot = SlotOf(option);
    if (slot < 0) {
        if (enable) {
            out.Answers += Command(no, option);
        }
        return;
    }
    State& state = side[slot];
    if (enable && state != State::On) {
        if (state == State::Off) {
            out.Answers += Command(yes, option);
        }
        state = State::On;
    } else if (!enable && state != State::Off) {
        if (state == State::On) {
            out.Answers += Command(no, option);
        }
        state = State::Off;
    }
}

void TelnetReceiver::EndSubnegotiation(Output& out) {
    if (sub_.size() >= 2 && static_cast<std::uint8_t>(sub_[0]) == OptionComPort &&
        static_cast<std::uint8_t>(sub_[1]) > ServerCodeOffset) {
        out.Replies.push_back(
            {static_cast<std::uint8_t>(static_cast<std::uint8_t>(sub_[1]) - ServerCodeOffset),
             sub_.substr(2)});
    }
    sub_.clear();
}

}  // namespace pelta::link::telnet

#pragma once
// Telnet as a client of a terminal server needs it: the byte stream of a serial line carried
// over TCP with BINARY both ways and the COM-port control option (RFC 2217). Pure code, no
// sockets: the sending side builds bytes, the receiving side takes whatever one read brought
// (a command may be split anywhere across reads) and returns the line's bytes, the answers the
// negotiation needs and the server's COM-port replies. Standard library only.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelta::link::telnet {

inline constexpr std::uint8_t Iac = 255;
inline constexpr std::uint8_t Dont = 254;
inline constexpr std::uint8_t Do = 253;
inline constexpr std::uint8_t Wont = 252;
inline constexpr std::uint8_t Will = 251;
inline constexpr std::uint8_t Sb = 250;
inline constexpr std::uint8_t Se = 240;

inline constexpr std::uint8_t OptionBinary = 0;
inline constexpr std::uint8_t OptionComPort = 44;

// The COM-port commands a client sends. A server answers each with its code plus 100 and the
// value it now runs.
enum class ComPortCommand : std::uint8_t {
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    PurgeData = 12,
};
inline constexpr std::uint8_t ServerCodeOffset = 100;

// Values of SET-CONTROL and PURGE-DATA used here.
namespace Control {
inline constexpr std::uint8_t NoFlowControl = 1;
inline constexpr std::uint8_t XonXoff = 2;
inline constexpr std::uint8_t Hardware = 3;
inline constexpr std::uint8_t DtrOff = 9;
inline constexpr std::uint8_t RtsOff = 12;
}  // namespace Control
inline constexpr std::uint8_t PurgeReceiveBuffer = 1;

// The line's bytes with every 0xFF doubled, as they go on the wire.
std::string EncodeData(std::string_view data);

// IAC SB COM-PORT-OPTION command value IAC SE, the value's 0xFF doubled.
std::string ComPortRequest(ComPortCommand command, std::string_view value);
// The four-byte value of SET-BAUDRATE, most significant byte first.
std::string BaudRateValue(std::uint32_t bitsPerSecond);

// A server's COM-port subnegotiation: the client command it answers (its code less 100; a
// notification such as NOTIFY-MODEMSTATE comes as 7) and the value, undoubled.
struct ComPortReply {
    std::uint8_t Command = 0;
    std::string Value;

    friend bool operator==(const ComPortReply&, const ComPortReply&) = default;
};

class TelnetReceiver {
  public:
    struct Output {
        std::string Data;     // the serial line's bytes
        std::string Answers;  // negotiation answers to send back, in order
        std::vector<ComPortReply> Replies;
    };

    // The client's opening: WILL and DO BINARY, and WILL COM-PORT-OPTION when asked for.
    std::string Offers(bool comPort);
    // Takes one read's bytes and appends what they carry to out.
    void Receive(std::string_view bytes, Output& out);

    // The server agreed to take COM-port commands (DO COM-PORT-OPTION).
    bool ComPortAccepted() const { return local_[ComPortSlot] == State::On; }
    // The server answered the offer with DONT.
    bool ComPortRefused() const { return comPortRefused_; }

  private:
    enum class State : std::uint8_t { Off, Offered, On };
    enum class Parse : std::uint8_t { Data, Command, Option, Sub, SubCommand };
    static constexpr int BinarySlot = 0;
    static constexpr int ComPortSlot = 1;
    // Longer subnegotiations are cut here; no answer we read is longer.
    static constexpr std::size_t MaxSubnegotiation = 64;

    void TakeCommand(std::uint8_t byte, Output& out);
    void Negotiate(std::uint8_t verb, std::uint8_t option, Output& out);
    // The server's DO or DONT about an option on our side, WILL or WONT about its own.
    void Answer(State (&side)[2], bool enable, std::uint8_t option, std::uint8_t yes,
                std::uint8_t no, Output& out);
    void EndSubnegotiation(Output& out);

    Parse parse_ = Parse::Data;
    std::uint8_t verb_ = 0;
    std::string sub_;
    State local_[2] = {State::Off, State::Off};   // options we perform (WILL)
    State remote_[2] = {State::Off, State::Off};  // options the server performs (DO)
    bool comPortRefused_ = false;
};

}  // namespace pelta::link::telnet

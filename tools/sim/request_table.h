#pragma once
// The requests the controller understands: function byte, command byte and the exact length
// of the request. Requests carry no length field, so this table is how a burst of bytes is
// known to be complete.

#include <cstdint>
#include <string_view>

namespace pelta::sim {

enum class Request : std::uint8_t {
    ReadState,
    ReadSettings,
    SetClock,
    WriteAlarm1,
    WriteAlarm2,
    WriteEvent,
    WriteEventLine2,
};

struct RequestKind {
    Request request;
    std::uint8_t function;
    std::uint8_t command;
    std::size_t length;  // whole request: address, function, command and data
    std::string_view name;
};

inline constexpr std::uint8_t kReadFunction = 0x32;
inline constexpr std::uint8_t kWriteFunction = 0x5A;
inline constexpr std::size_t kHeaderLength = 3;  // address, function, command

// The kind of request that starts with this function and command byte, or nullptr.
const RequestKind* FindRequestKind(std::uint8_t function, std::uint8_t command);

// Why a frame is or is not answered.
enum class Verdict : std::uint8_t {
    Answer,
    TooShort,      // fewer than the three header bytes
    Unknown,       // no such function and command pair
    WrongLength,   // a known command with too few or too many data bytes
    OtherAddress,  // a well-formed request for another controller on the bus
};

struct Classified {
    Verdict verdict;
    const RequestKind* kind;  // set for WrongLength, OtherAddress and Answer
};

Classified Classify(std::string_view frame, std::uint8_t ownAddress);

std::string_view VerdictText(Verdict verdict);

inline std::uint8_t ByteAt(std::string_view frame, std::size_t index) {
    return static_cast<std::uint8_t>(frame[index]);
}

}  // namespace pelta::sim

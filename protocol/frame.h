#pragma once
// Frames on the controller line: byte strings, one char per byte value 0-255.
// Replies end in the CRC-16/MODBUS of the bytes before them, low byte first; requests carry none.
// This header uses the standard library only, so that the controller simulator can share it.

#include <cstdint>
#include <string>
#include <string_view>

namespace pelta::protocol {

using Frame = std::string;

// CRC-16/MODBUS register after the given bytes (reflected 0xA001, start 0xFFFF, no final XOR).
std::uint16_t Crc16Value(std::string_view bytes);

// The two CRC characters for the given bytes: low byte first, then high byte.
Frame Crc16(std::string_view bytes);

// A reply of two or more bytes is good when its last two bytes are the CRC of the rest.
// Shorter replies are never good; the caller decides how to count them.
bool IsGoodReply(std::string_view reply);

// Appends the CRC to a body, giving a complete reply frame.
Frame WithCrc(std::string_view body);

}  // namespace pelta::protocol

#include "protocol/frame.h"

#include <gtest/gtest.h>

namespace pelta::protocol {
namespace {

TEST(Crc16, matchesPublishedModbusVectors) {
    const std::pair<std::string, std::uint16_t> cases[] = {
        {"", 0xFFFF},
        {"abc", 0x5749},
        {std::string("\xFF", 1), 0x00FF},  // a byte above 0x7F counts by its value 255
        {"123456789", 0x4B37},
        {std::string("\x00", 1), 0x40BF},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(Crc16Value(input), expected) << "input size " << input.size();
        EXPECT_EQ(Crc16(input), (Frame{char(expected & 0xFF), char(expected >> 8)}));  // low first
    }
}

TEST(ReplyCheck, judgesOnlyTheTrailingTwoBytes) {
    const std::tuple<const char*, std::string, bool> cases[] = {
        {"body 01 5A with CRC low first", std::string("\x01\x5A\x80\x1B", 4), true},
        {"low CRC byte right, high byte wrong", std::string("\x01\x5A\x80\x1C", 4), false},
        {"high CRC byte right, low byte wrong", std::string("\x01\x5A\x81\x1B", 4), false},
        {"two bytes FF FF have an empty body", std::string("\xFF\xFF", 2), true},
        {"one byte cannot be split", std::string("\x01", 1), false},
        {"empty reply", std::string(), false},
        {"NUL is an ordinary byte", WithCrc(std::string("\x00\x00\x00", 3)), true},
    };
    for (const auto& [name, reply, good] : cases) {
        EXPECT_EQ(IsGoodReply(reply), good) << name;
    }
}

}  // namespace
}  // namespace pelta::protocol

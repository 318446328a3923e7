#include "tools/sim/frame_log.h"

#include <gtest/gtest.h>

#include "test_bytes.h"

namespace pelta::sim {
namespace {

using test::Bytes;

TEST(FrameLog, HexBytesKeepsEveryValue) {
    EXPECT_EQ(HexBytes(""), "");
    EXPECT_EQ(HexBytes(Bytes({0x01, 0x00, 0xFF, 0x5A})), "01 00 FF 5A");
}

TEST(FrameLog, DescribesRequests) {
    std::string line(20, ' ');
    line[0] = static_cast<char>(0xA8);
    line[1] = 'p';
    line[2] = '"';
    const std::pair<std::string, std::string> cases[] = {
        {Bytes({1, 0x32, 0xBE}), "ReadState addr=1"},
        {Bytes({9, 0x5A, 0x5E, 5, 3, 9, 14, 7, 0, 0, 255, 4}),
         "SetClock addr=9 05.03.09 14:07:00 correction=0 season=off weekday=4"},
        {Bytes({1, 0x5A, 0x5F, 0, 6, 30, 2}), "WriteAlarm1 addr=1 on 06:30 days=2"},
        {Bytes({1, 0x5A, 0x64, 255, 3, 5, 14}) + line,
         "WriteEvent addr=1 off month=3 day=5 hour=14 line1=\"\\xA8p\\x22" + std::string(17, ' ') +
             "\""},
        {Bytes({1, 0x5A, 0x5F, 0}), "WriteAlarm1 addr=1 length=4 (want 7)"},
        {Bytes({1, 0x32, 0x99}), "unknown addr=1"},
        {Bytes({1, 0x32}), "fragment"},
    };
    for (const auto& [frame, text] : cases) {
        EXPECT_EQ(DescribeRequest(frame), text);
    }
}

TEST(FrameLog, LineParamsAsTermiosHoldsThem) {
    struct Case {
        speed_t speed;
        tcflag_t cflag;
        const char* text;
    };
    const Case cases[] = {
        {B9600, CS8, "speed=9600 data=8 stop=1 parenb=0 parodd=0 cmspar=0"},
        {B19200, CS7 | CSTOPB | PARENB | PARODD,
         "speed=19200 data=7 stop=2 parenb=1 parodd=1 cmspar=0"},
        {B115200, CS5 | PARENB | CMSPAR, "speed=115200 data=5 stop=1 parenb=1 parodd=0 cmspar=1"},
        {B1200, CS6, "speed=1200 data=6 stop=1 parenb=0 parodd=0 cmspar=0"},
    };
    for (const Case& c : cases) {
        termios t{};
        t.c_cflag = c.cflag;
        cfsetospeed(&t, c.speed);
        EXPECT_EQ(LineParams(t), c.text);
    }
}

}  // namespace
}  // namespace pelta::sim

#include "protocol/command_table.h"

#include <gtest/gtest.h>

#include "protocol/run_time_error.h"
#include "tests/support/fake_window.h"

namespace pelta::protocol {
namespace {

using pelta::testing::Bytes;
using pelta::testing::FullyStaged;

// The clock, alarm 2 and the event's first request: the settings commands' table.
TEST(BuildRequest, laysOutEveryCommandOfTheTable) {
    const std::tuple<const char*, std::int16_t, std::int32_t, Frame> cases[] = {
        {"read state", Command::ReadState, 1, Bytes({0x01, 0x32, 0xBE})},
        {"read settings", Command::ReadSettings, 255, Bytes({0xFF, 0x32, 0xC0})},
        {"alarm 1", Command::WriteAlarm1, 7, Bytes({7, 0x5A, 0x5F, 0, 6, 30, 2})},
        {"event line 2", Command::WriteEventLine2, 2,
         Bytes({2, 0x5A, 0x65}) + std::string(20, ' ')},
        {"command 8 sends nothing", 8, 1, {}},
        {"negative command sends nothing", -3, 1, {}},
    };
    for (const auto& [name, command, address, expected] : cases) {
        EXPECT_EQ(BuildRequest(command, address, FullyStaged()), expected) << name;
    }
    StagedRequest fourDigitYear = FullyStaged();
    fourDigitYear.ClockDate = "29.02.2024";  // goes as its last two digits
    EXPECT_EQ(BuildRequest(Command::SetClock, 0, fourDigitYear),
              Bytes({0x00, 0x5A, 0x5E, 29, 2, 24, 14, 7, 9, 41, 0xFF, 5}));
}

TEST(BuildRequest, refusesValuesThatAreNotOneByte) {
    const std::tuple<std::int16_t, std::int32_t, void (*)(StagedRequest&)> cases[] = {
        {Command::ReadState, 256, [](StagedRequest&) {}},
        {Command::WriteAlarm2, 1, [](StagedRequest& s) { s.DayCode = "-1"; }},
        {Command::WriteAlarm1, 1, [](StagedRequest& s) { s.AlarmMinute = "3x"; }},
        {Command::SetClock, 1, [](StagedRequest& s) { s.ClockDate = "31.02.09"; }},
        {Command::SetClock, 1, [](StagedRequest& s) { s.ClockTime = "24:00:00"; }},
        {Command::WriteEvent, 1, [](StagedRequest& s) { s.EventTime = ""; }},
        {Command::WriteEvent, 1, [](StagedRequest& s) { s.EventLine1.pop_back(); }},
        {Command::WriteEventLine2, 1, [](StagedRequest& s) { s.EventLine2.clear(); }},
    };
    for (int row = 0; const auto& [command, address, spoil] : cases) {
        StagedRequest s = FullyStaged();
        ASSERT_NO_THROW(BuildRequest(command, 1, s)) << "row " << row << " unspoilt";
        spoil(s);
        EXPECT_THROW(BuildRequest(command, address, s), RunTimeError) << "row " << row++;
    }
}

}  // namespace
}  // namespace pelta::protocol

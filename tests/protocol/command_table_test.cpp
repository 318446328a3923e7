#include "protocol/command_table.h"

#include <gtest/gtest.h>

#include "protocol/run_time_error.h"

namespace pelta::protocol {
namespace {

Frame Bytes(std::initializer_list<int> values) {
    Frame frame;
    for (const int v : values) {
        frame += static_cast<char>(v);
    }
    return frame;
}

StagedRequest AlarmSeven() {
    StagedRequest s;
    s.OnOffCode = "0";
    s.AlarmHour = "6";
    s.AlarmMinute = "30";
    s.DayCode = "2";
    return s;
}

StagedRequest ClockAndEvent() {
    StagedRequest s;
    s.ClockDate = "05.03.09";
    s.ClockTime = "14:07:09";
    s.ClockCorrection = 41;
    s.ClockOnOffCode = "255";
    s.ClockDayCode = "5";
    s.EventMode = 255;
    s.EventDate = "24.12.25";
    s.EventTime = "18:30";
    s.EventLine1 = "ABCDEFGHIJKLMNOPQRST";
    s.EventLine2 = std::string(20, ' ');
    return s;
}

struct RequestCase {
    const char* name;
    std::int16_t command;
    std::int32_t address;
    StagedRequest staged;
    Frame expected;
};

TEST(BuildRequest, laysOutEveryCommandOfTheTable) {
    const RequestCase cases[] = {
        {"read state", Command::ReadState, 1, {}, Bytes({0x01, 0x32, 0xBE})},
        {"read settings", Command::ReadSettings, 255, {}, Bytes({0xFF, 0x32, 0xC0})},
        {"alarm 1", Command::WriteAlarm1, 7, AlarmSeven(),
         Bytes({0x07, 0x5A, 0x5F, 0x00, 0x06, 0x1E, 0x02})},
        {"alarm 2 differs only in the command byte", Command::WriteAlarm2, 7, AlarmSeven(),
         Bytes({0x07, 0x5A, 0x60, 0x00, 0x06, 0x1E, 0x02})},
        {"clock: day before month, then the clock's own codes", Command::SetClock, 0,
         ClockAndEvent(), Bytes({0x00, 0x5A, 0x5E, 5, 3, 9, 14, 7, 9, 41, 0xFF, 5})},
        {"event: month before day, no minute", Command::WriteEvent, 2, ClockAndEvent(),
         Bytes({0x02, 0x5A, 0x64, 0xFF, 12, 24, 18}) + "ABCDEFGHIJKLMNOPQRST"},
        {"event line 2", Command::WriteEventLine2, 2, ClockAndEvent(),
         Bytes({0x02, 0x5A, 0x65}) + std::string(20, ' ')},
        {"command 8 sends nothing", 8, 1, {}, {}},
        {"command 14 sends nothing", 14, 1, {}, {}},
        {"command 0 sends nothing", 0, 1, {}, {}},
        {"negative command sends nothing", -3, 1, {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildRequest(c.command, c.address, c.staged), c.expected) << c.name;
    }
}

TEST(BuildRequest, eventRequestIsAlways27Bytes) {
    StagedRequest s = ClockAndEvent();
    s.EventLine1 = "Hi" + std::string(18, ' ');
    EXPECT_EQ(BuildRequest(Command::WriteEvent, 1, s).size(), 27U);
    EXPECT_EQ(BuildRequest(Command::WriteEventLine2, 1, s).size(), 23U);
}

TEST(BuildRequest, fourDigitYearIsSentAsItsLastTwoDigits) {
    StagedRequest s = ClockAndEvent();
    s.ClockDate = "29.02.2024";
    const Frame request = BuildRequest(Command::SetClock, 1, s);
    ASSERT_EQ(request.size(), 12U);
    EXPECT_EQ(request.substr(3, 3), Bytes({29, 2, 24}));
}

struct BadValueCase {
    const char* name;
    std::int16_t command;
    std::int32_t address;
    void (*spoil)(StagedRequest&);
};

TEST(BuildRequest, refusesValuesThatAreNotOneByte) {
    const BadValueCase cases[] = {
        {"address 256", Command::ReadState, 256, [](StagedRequest&) {}},
        {"negative address", Command::ReadSettings, -1, [](StagedRequest&) {}},
        {"alarm hour 300", Command::WriteAlarm1, 1, [](StagedRequest& s) { s.AlarmHour = "300"; }},
        {"negative day code", Command::WriteAlarm2, 1, [](StagedRequest& s) { s.DayCode = "-1"; }},
        {"empty on/off code", Command::WriteAlarm1, 1, [](StagedRequest& s) { s.OnOffCode = ""; }},
        {"minute not a number", Command::WriteAlarm1, 1,
         [](StagedRequest& s) { s.AlarmMinute = "3x"; }},
        {"negative correction", Command::SetClock, 1,
         [](StagedRequest& s) { s.ClockCorrection = -2; }},
        {"correction above 255", Command::SetClock, 1,
         [](StagedRequest& s) { s.ClockCorrection = 280; }},
        {"clock date not a date", Command::SetClock, 1,
         [](StagedRequest& s) { s.ClockDate = "00.00.00"; }},
        {"clock date 31 February", Command::SetClock, 1,
         [](StagedRequest& s) { s.ClockDate = "31.02.09"; }},
        {"clock time hour 24", Command::SetClock, 1,
         [](StagedRequest& s) { s.ClockTime = "24:00:00"; }},
        {"clock weekday never staged", Command::SetClock, 1,
         [](StagedRequest& s) { s.ClockDayCode.clear(); }},
        {"event mode -1", Command::WriteEvent, 1, [](StagedRequest& s) { s.EventMode = -1; }},
        {"event time empty", Command::WriteEvent, 1, [](StagedRequest& s) { s.EventTime = ""; }},
        {"event line 1 of 19 bytes", Command::WriteEvent, 1,
         [](StagedRequest& s) { s.EventLine1.pop_back(); }},
        {"event line 2 never staged", Command::WriteEventLine2, 1,
         [](StagedRequest& s) { s.EventLine2.clear(); }},
    };
    for (const auto& c : cases) {
        StagedRequest s = ClockAndEvent();
        const StagedRequest alarm = AlarmSeven();
        s.OnOffCode = alarm.OnOffCode;
        s.AlarmHour = alarm.AlarmHour;
        s.AlarmMinute = alarm.AlarmMinute;
        s.DayCode = alarm.DayCode;
        ASSERT_NO_THROW(BuildRequest(c.command, 1, s)) << c.name << " (unspoilt)";
        c.spoil(s);
        EXPECT_THROW(BuildRequest(c.command, c.address, s), RunTimeError) << c.name;
    }
}

TEST(BuildRequest, errorNamesTheValueThatDidNotFit) {
    try {
        BuildRequest(Command::ReadState, 300, {});
        FAIL() << "address 300 was accepted";
    } catch (const RunTimeError& e) {
        EXPECT_NE(std::string(e.what()).find("300"), std::string::npos) << e.what();
    }
}

TEST(ReplyLengthTable, holdsTheReplyLengthsAfterFill) {
    ReplyLengthTable table;
    EXPECT_EQ(table(1), 0) << "empty before start-up fills it";
    table.Fill();
    const std::int16_t expected[] = {22, 3, 3, 3, 25, 3, 3, 3, 0, 0, 0, 0, 0, 0};
    for (std::int16_t c = 1; c <= 14; ++c) {
        EXPECT_EQ(table(c), expected[c - 1]) << "command " << c;
    }
    EXPECT_EQ(table(0), 0);
    EXPECT_EQ(table(15), 0);
    EXPECT_EQ(table(-1), 0);
}

}  // namespace
}  // namespace pelta::protocol

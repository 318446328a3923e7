#include "tools/sim/controller_model.h"

#include <gtest/gtest.h>

#include "protocol/frame.h"
#include "test_bytes.h"

namespace pelta::sim {
namespace {

using test::At;
using test::Bytes;

// 2021-06-15 12:00:00 UTC; the tests compare through the same local-time rules as the model.
constexpr std::time_t kFixedTime = 1623758400;

struct FakeTime {
    std::time_t now = kFixedTime;
};

class ModelTest : public ::testing::Test {
  protected:
    FakeTime time_;
    ControllerModel model_{1, ClimateValues{}, [this] { return time_.now; }};
};

std::string Line(char first) {
    std::string line(kEventLineLength, first);
    line[1] = static_cast<char>(0x80);
    line[2] = static_cast<char>(0xFF);
    line[3] = '\0';
    return line;
}

const std::string kClock = Bytes({1, 0x5A, 0x5E, 5, 3, 9, 14, 7, 0, 0, 255, 4});

TEST_F(ModelTest, EveryRequestGetsReplyOfItsLengthWithGoodCrc) {
    struct Case {
        std::string request;
        std::size_t length;
    };
    const Case cases[] = {
        {Bytes({1, 0x32, 0xBE}), kStateReplyLength},
        {Bytes({1, 0x32, 0xC0}), kSettingsReplyLength},
        {kClock, kWriteReplyLength},
        {Bytes({1, 0x5A, 0x5F, 0, 6, 30, 2}), kWriteReplyLength},
        {Bytes({1, 0x5A, 0x60, 255, 6, 30, 2}), kWriteReplyLength},
        {Bytes({1, 0x5A, 0x64, 0, 3, 5, 14}) + Line('a'), kWriteReplyLength},
        {Bytes({1, 0x5A, 0x65}) + Line('b'), kWriteReplyLength},
    };
    for (const Case& c : cases) {
        const auto reply = model_.Handle(c.request);
        ASSERT_TRUE(reply) << test::At(c.request, 3);
        EXPECT_EQ(reply->size(), c.length);
        EXPECT_TRUE(protocol::IsGoodReply(*reply));
        // Reads echo address, function and command; writes echo the command byte alone.
        const std::string echo =
            c.length == kWriteReplyLength ? c.request.substr(2, 1) : c.request.substr(0, 3);
        EXPECT_EQ(reply->substr(0, echo.size()), echo);
    }
}

TEST_F(ModelTest, MalformedOrForeignRequestsGetNoReply) {
    const std::string cases[] = {
        "",
        Bytes({1}),
        Bytes({1, 0x32}),
        Bytes({1, 0x32, 0x99}),            // unknown command
        Bytes({1, 0x32, 0x5E}),            // write command under the read function
        Bytes({1, 0x32, 0xBE, 0}),         // one byte too many
        Bytes({1, 0x5A, 0x5F, 0, 6, 30}),  // one data byte missing
        Bytes({2, 0x32, 0xBE}),            // another controller
        Bytes({0, 0x32, 0xBE}),
        Bytes({255, 0x5A, 0x5F, 0, 6, 30, 2}),
    };
    for (const std::string& request : cases) {
        EXPECT_FALSE(model_.Handle(request)) << request.size();
    }
    EXPECT_EQ(model_.Settings().alarm1.hour, SettingsStore{}.alarm1.hour);
}

TEST(ModelAddress, AnswersOnlyItsOwnAddress) {
    for (const int own : {0, 1, 7, 255}) {
        ControllerModel model(static_cast<std::uint8_t>(own), ClimateValues{});
        for (const int sent : {0, 1, 7, 255}) {
            EXPECT_EQ(model.Handle(Bytes({sent, 0x32, 0xC0})).has_value(), sent == own)
                << own << " " << sent;
        }
    }
}

TEST_F(ModelTest, StateReplyCarriesClockAndClimate) {
    const auto reply = model_.Handle(Bytes({1, 0x32, 0xBE}));
    ASSERT_TRUE(reply);
    std::tm local{};
    localtime_r(&kFixedTime, &local);
    EXPECT_EQ(At(*reply, 4), local.tm_mday);
    EXPECT_EQ(At(*reply, 5), local.tm_mon + 1);
    EXPECT_EQ(At(*reply, 6), local.tm_year % 100);
    EXPECT_EQ(At(*reply, 7), local.tm_hour);
    EXPECT_EQ(At(*reply, 8), local.tm_min);
    EXPECT_EQ(At(*reply, 9), local.tm_sec);
    // 21.5 C -> 315, -3.0 C -> 70, 45 %, 750.50 mm -> 75050; then two zero bytes.
    EXPECT_EQ(reply->substr(9, 11),
              Bytes({0x3B, 0x01, 0x46, 0x00, 45, 0x2A, 0x25, 0x01, 0x00, 0, 0}));
}

TEST_F(ModelTest, InitialSettingsSitAtTheirPositions) {
    const auto reply = model_.Handle(Bytes({1, 0x32, 0xC0}));
    ASSERT_TRUE(reply);
    // Position (1-based) -> value of the initial store: alarm 1 07:30 weekdays on, alarm 2
    // 09:10 weekends off, screen "switch on at" 22:15-07:45 by schedule, lunar scroll on,
    // night-light by sensor 22:05-06:50.
    const std::pair<std::size_t, int> cases[] = {
        {4, 7},    {5, 30}, {6, 8},   {7, 0},  {8, 255}, {9, 9},   {10, 10},
        {11, 9},   {12, 3}, {13, 22}, {14, 0}, {15, 15}, {16, 7},  {17, 45},
        {18, 255}, {19, 1}, {20, 22}, {21, 5}, {22, 6},  {23, 50},
    };
    for (const auto& [position, value] : cases) {
        EXPECT_EQ(At(*reply, position), value) << "position " << position;
    }
}

TEST(ClimateEncoding, RawValues) {
    EXPECT_EQ(TemperatureRaw(20.0), 300);
    EXPECT_EQ(TemperatureRaw(14.5), 245);
    EXPECT_EQ(TemperatureRaw(-10.0), 0);
    EXPECT_EQ(TemperatureRaw(-2.96), 70);
    EXPECT_EQ(PressureRaw(750.5), 75050U);
    EXPECT_EQ(PressureRaw(760.004), 76000U);
}

TEST_F(ModelTest, SetClockMovesTheRunningClock) {
    struct Case {
        std::vector<int> set;       // day, month, yy, hour, minute, second
        int advance;                // seconds that pass before the read
        std::vector<int> expected;  // as the state reply shows it
    };
    const Case cases[] = {
        {{5, 3, 9, 14, 7, 0}, 65, {5, 3, 9, 14, 8, 5}},
        {{28, 2, 24, 23, 59, 59}, 1, {29, 2, 24, 0, 0, 0}},
        {{31, 12, 99, 23, 59, 59}, 1, {1, 1, 0, 0, 0, 0}},
        {{1, 7, 30, 12, 0, 0}, 0, {1, 7, 30, 12, 0, 0}},
    };
    for (const Case& c : cases) {
        time_.now = kFixedTime;
        std::string request = Bytes({1, 0x5A, 0x5E});
        for (const int v : c.set) {
            request.push_back(static_cast<char>(v));
        }
        request += Bytes({3, 0, 2});
        ASSERT_TRUE(model_.Handle(request));
        time_.now += c.advance;
        const auto reply = model_.Handle(Bytes({1, 0x32, 0xBE}));
        ASSERT_TRUE(reply);
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(At(*reply, 4 + i), c.expected[i]) << "field " << i << " of " << c.set[0];
        }
        EXPECT_EQ(model_.Extras().correction, 3);
        EXPECT_EQ(model_.Extras().weekday, 2);
    }
}

TEST_F(ModelTest, ImpossibleClockIsAcknowledgedButIgnored) {
    ASSERT_TRUE(model_.Handle(kClock));
    const ClockFields before = model_.ClockNow();
    const std::vector<std::vector<int>> cases = {
        {31, 4, 21, 10, 0, 0}, {29, 2, 23, 10, 0, 0}, {1, 13, 21, 10, 0, 0}, {0, 1, 21, 10, 0, 0},
        {1, 1, 21, 24, 0, 0},  {1, 1, 21, 10, 60, 0}, {1, 1, 100, 10, 0, 0},
    };
    for (const auto& set : cases) {
        std::string request = Bytes({1, 0x5A, 0x5E});
        for (const int v : set) {
            request.push_back(static_cast<char>(v));
        }
        request += Bytes({0, 255, 1});
        EXPECT_TRUE(model_.Handle(request));
        EXPECT_EQ(model_.ClockNow().day, before.day);
        EXPECT_EQ(model_.ClockNow().hour, before.hour);
    }
}

TEST_F(ModelTest, AlarmWritesShowInSettingsReply) {
    struct Case {
        int command;
        int onOff, hour, minute, days;
        std::size_t hourPos, minutePos, daysPos, onOffPos;
    };
    const Case cases[] = {
        {0x5F, 0, 6, 30, 2, 4, 5, 6, 7},
        {0x5F, 255, 23, 59, 10, 4, 5, 6, 7},
        {0x60, 0, 5, 15, 8, 9, 10, 11, 8},
        {0x60, 255, 0, 0, 1, 9, 10, 11, 8},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(model_.Handle(Bytes({1, 0x5A, c.command, c.onOff, c.hour, c.minute, c.days})));
        const auto reply = model_.Handle(Bytes({1, 0x32, 0xC0}));
        ASSERT_TRUE(reply);
        EXPECT_EQ(At(*reply, c.hourPos), c.hour);
        EXPECT_EQ(At(*reply, c.minutePos), c.minute);
        EXPECT_EQ(At(*reply, c.daysPos), c.days);
        // 0 (on) must not read back as 255 (off), and off must stay 255.
        EXPECT_EQ(At(*reply, c.onOffPos) == 255, c.onOff == 255);
    }
}

TEST_F(ModelTest, EventLinesAreStoredByteExact) {
    const std::string line1 = Line('x');
    std::string line2 = Line('y');
    line2[19] = static_cast<char>(0xE5);
    ASSERT_TRUE(model_.Handle(Bytes({1, 0x5A, 0x64, 0, 3, 5, 14}) + line1));
    ASSERT_TRUE(model_.Handle(Bytes({1, 0x5A, 0x65}) + line2));
    const EventStore& event = model_.Event();
    EXPECT_EQ(event.line1, line1);
    EXPECT_EQ(event.line2, line2);
    EXPECT_EQ(event.mode, 0);
    EXPECT_EQ(event.month, 3);
    EXPECT_EQ(event.day, 5);
    EXPECT_EQ(event.hour, 14);
}

}  // namespace
}  // namespace pelta::sim

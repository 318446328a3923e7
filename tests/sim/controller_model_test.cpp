// The controller model and the misbehaviours, without a line.

#include <gtest/gtest.h>

#include "protocol/frame.h"
#include "tools/sim/controller_model.h"
#include "tools/sim/faults.h"

namespace pelta::sim {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    return std::string(values.begin(), values.end());
}

constexpr std::time_t kFixedTime = 1623758400;  // 2021-06-15 12:00:00 UTC

class ModelTest : public ::testing::Test {
  protected:
    std::time_t now_ = kFixedTime;
    ControllerModel model_{7, ClimateValues{}, [this] { return now_; }};
};

const std::string kLine = Bytes({'a', 0x80, 0xFF, 0}) + std::string(16, '\xE5');

TEST_F(ModelTest, AnswersWellFormedRequestsToItsAddressWithAReplyOfItsLengthAndGoodCrc) {
    const std::pair<std::string, std::size_t> cases[] = {
        {Bytes({7, 0x32, 0xBE}), kStateReplyLength},
        {Bytes({7, 0x32, 0xC0}), kSettingsReplyLength},
        {Bytes({7, 0x5A, 0x5E, 5, 3, 9, 14, 7, 0, 0, 255, 4}), kWriteReplyLength},
        {Bytes({7, 0x5A, 0x5F, 0, 6, 30, 2}), kWriteReplyLength},
        {Bytes({7, 0x5A, 0x60, 255, 6, 30, 2}), kWriteReplyLength},
        {Bytes({7, 0x5A, 0x64, 0, 3, 5, 14}) + kLine, kWriteReplyLength},
        {Bytes({7, 0x5A, 0x65}) + kLine, kWriteReplyLength},
        {Bytes({9, 0x32, 0xC0}), 0},  // another address
        {Bytes({0, 0x32, 0xC0}), 0},
        {Bytes({255, 0x32, 0xC0}), 0},
        {Bytes({7, 0x32}), 0},
        {Bytes({7, 0x32, 0x99}), 0},  // unknown
        {Bytes({7, 0x32, 0x5E}), 0},
        {Bytes({7, 0x32, 0xBE, 0}), 0},         // too long
        {Bytes({7, 0x5A, 0x5F, 0, 6, 30}), 0},  // one data byte missing
    };
    for (const auto& [request, length] : cases) {
        const auto reply = model_.Handle(request);
        ASSERT_EQ(reply.value_or("").size(), length) << request.size() << " " << int(request[1]);
        if (length == 0) {
            EXPECT_FALSE(reply.has_value());
            continue;
        }
        EXPECT_TRUE(protocol::IsGoodReply(*reply));
        // Reads echo address, function and command; writes echo the command byte alone.
        const std::string echo =
            length == kWriteReplyLength ? request.substr(2, 1) : request.substr(0, 3);
        EXPECT_EQ(reply->substr(0, echo.size()), echo);
    }
}

TEST_F(ModelTest, SetClockMovesTheClockThatReadStateShows) {
    // day, month, yy, hour, minute, second set; seconds passed; the fields ReadState shows
    const std::tuple<std::string, int, std::string> cases[] = {
        {Bytes({5, 3, 9, 14, 7, 0}), 65, Bytes({5, 3, 9, 14, 8, 5})},
        {Bytes({28, 2, 24, 23, 59, 59}), 1, Bytes({29, 2, 24, 0, 0, 0})},
        {Bytes({31, 12, 99, 23, 59, 59}), 1, Bytes({1, 1, 0, 0, 0, 0})},
    };
    for (const auto& [set, passed, shown] : cases) {
        now_ = kFixedTime;
        ASSERT_TRUE(model_.Handle(Bytes({7, 0x5A, 0x5E}) + set + Bytes({3, 0, 2})));
        now_ += passed;
        const std::string reply = model_.Handle(Bytes({7, 0x32, 0xBE})).value();
        EXPECT_EQ(reply.substr(3, 6), shown);
        // 21.5 C -> 315, -3.0 C -> 70, 45 %, 750.50 mm -> 75050; then two zero bytes.
        EXPECT_EQ(reply.substr(9, 11), Bytes({0x3B, 0x01, 0x46, 0, 45, 0x2A, 0x25, 0x01, 0, 0, 0}));
    }
    // An impossible date is acknowledged but leaves the clock alone.
    EXPECT_TRUE(model_.Handle(Bytes({7, 0x5A, 0x5E, 29, 2, 23, 10, 0, 0, 0, 255, 1})));
    EXPECT_EQ(model_.ClockNow().day, 1);
}

TEST_F(ModelTest, AlarmWritesShowAtTheirPositionsInReadSettings) {
    const auto settings = [this] { return model_.Handle(Bytes({7, 0x32, 0xC0})).value(); };
    // The initial store: a misplaced field shows as a wrong value at its position.
    EXPECT_EQ(settings().substr(3, 20),
              Bytes({7, 30, 8, 0, 255, 9, 10, 9, 3, 22, 0, 15, 7, 45, 255, 1, 22, 5, 6, 50}));
    ASSERT_TRUE(model_.Handle(Bytes({7, 0x5A, 0x5F, 255, 23, 59, 10})));
    EXPECT_EQ(settings().substr(3, 5), Bytes({23, 59, 10, 255, 255}));
    ASSERT_TRUE(model_.Handle(Bytes({7, 0x5A, 0x60, 0, 5, 15, 1})));
    EXPECT_EQ(settings().substr(3, 10), Bytes({23, 59, 10, 255, 0, 5, 15, 1, 3, 22}));
}

TEST_F(ModelTest, EventLinesAreStoredByteExact) {
    std::string line2 = kLine;
    line2[19] = 'z';
    ASSERT_TRUE(model_.Handle(Bytes({7, 0x5A, 0x64, 0, 3, 5, 14}) + kLine));
    ASSERT_TRUE(model_.Handle(Bytes({7, 0x5A, 0x65}) + line2));
    const EventStore& event = model_.Event();
    EXPECT_EQ(event.line1, kLine);
    EXPECT_EQ(event.line2, line2);
    EXPECT_EQ(std::vector<int>({event.mode, event.month, event.day, event.hour}),
              std::vector<int>({0, 3, 5, 14}));
}

TEST(Faults, ShapeTheReply) {
    // silent, bad CRC, short; reply length; what goes out (0: nothing) and whether it is good
    const std::vector<std::tuple<bool, bool, bool, std::size_t, std::size_t, bool>> cases = {
        {false, false, false, 22, 22, true}, {true, false, false, 22, 0, false},
        {false, true, false, 3, 3, false},   {false, false, true, 22, 11, false},
        {false, false, true, 25, 12, false}, {true, true, true, 25, 0, false},
    };
    for (const auto& [silent, badCrc, shortReply, length, sent, good] : cases) {
        Faults faults;
        std::tie(faults.silent, faults.badCrc, faults.shortReply) =
            std::tie(silent, badCrc, shortReply);
        const protocol::Frame reply = protocol::WithCrc(protocol::Frame(length - 2, '\x5A'));
        const auto out = ApplyFaults(faults, reply);
        ASSERT_EQ(out.value_or("").size(), sent) << length;
        EXPECT_EQ(protocol::IsGoodReply(out.value_or("")), good) << length;
        // Whatever is sent is the start of the true reply, CRC corruption aside.
        EXPECT_EQ(out.value_or("").substr(0, length - 2),
                  reply.substr(0, std::min(sent, length - 2)));
        EXPECT_FALSE(ApplyFaults(faults, std::nullopt));
    }
}

}  // namespace
}  // namespace pelta::sim

// The controller model without a line, and pelta-sim as a process: a command-line mistake, and a
// map folder it refuses because other users may write the folder above it (its own private
// folder is used by every end-to-end run).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "protocol/frame.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_folder.h"
#include "tools/sim/controller_model.h"

namespace pelta::sim {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    return std::string(values.begin(), values.end());
}

constexpr std::time_t kFixedTime = 1623758400;  // 2021-06-15 12:00:00 UTC

struct ModelTest : ::testing::Test {
    std::time_t now_ = kFixedTime;
    ControllerModel model_{7, ClimateValues{}, [this] { return now_; }};
};

// One write stands for all: each kind's length is shown by pelta-ctl and the window against the
// running simulator, but not the echo nor the reads' exact lengths.
TEST_F(ModelTest, answersWellFormedRequestsToItsAddressWithAReplyOfItsLengthAndGoodCrc) {
    const std::pair<std::string, std::size_t> cases[] = {
        {Bytes({7, 0x32, 0xBE}), kStateReplyLength},
        {Bytes({7, 0x32, 0xC0}), kSettingsReplyLength},
        {Bytes({7, 0x5A, 0x5F, 0, 6, 30, 2}), kWriteReplyLength},
        {Bytes({9, 0x32, 0xC0}), 0},  // another address
        {Bytes({255, 0x32, 0xC0}), 0},
        {Bytes({7, 0x32}), 0},
        {Bytes({7, 0x32, 0x99}), 0},            // unknown
        {Bytes({7, 0x5A, 0xBE}), 0},            // a read command under the write function
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

TEST_F(ModelTest, movesTheClockThatReadStateShowsWhenSet) {
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
        EXPECT_EQ(model_.Handle(Bytes({7, 0x32, 0xBE})).value().substr(3, 6), shown);
    }
    // An impossible date is acknowledged but leaves the clock alone.
    EXPECT_TRUE(model_.Handle(Bytes({7, 0x5A, 0x5E, 29, 2, 23, 10, 0, 0, 0, 255, 1})));
    EXPECT_EQ(model_.ClockNow().day, 1);
}

using SimProcess = testing::ScratchFolder;

TEST_F(SimProcess, failsWithOneLineForABadOptionOrAMapFolderOthersMayWrite) {
    const std::string above = Path("pelta");
    ASSERT_EQ(::mkdir(above.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(above.c_str(), 0707), 0);
    // The exit status, then standard error.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "2 pelta-sim: unknown option '--bogus' (try --help)\n"},
        {{}, "1 pelta-sim: " + above + " is writable by other users; refusing to use it\n"},
    };
    for (const auto& [args, expected] : cases) {
        const auto run = testing::RunProgram(PELTA_SIM, args, "", {{"XDG_RUNTIME_DIR", folder}});
        EXPECT_EQ(std::to_string(run.Code) + " " + run.Err, expected);
    }
}

}  // namespace
}  // namespace pelta::sim

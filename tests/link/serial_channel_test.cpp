// The channel's contract with the port calls and the operator, on the in-memory port.

#include "link/serial_channel.h"

#include <numeric>
#include <tuple>

#include "link/link_error.h"
#include "link_test_support.h"

namespace pelta::link {
namespace {

using Calls = std::vector<std::string>;
using Channel = testing::MemoryChannelTest;

TEST_F(Channel, appliesTimeoutsOfTwelveBitTimesPerByteThenTheLine) {
    const std::pair<std::int32_t, std::uint32_t> cases[] = {
        {300, 41}, {600, 21}, {1200, 11}, {2400, 6}, {4800, 3}, {9600, 2}, {14400, 1}, {19200, 1}};
    OpenPort(3);
    for (const auto& [speed, multiplier] : cases) {
        api.ClearLog();
        channel.ConfigurePort(speed, 0, 8, 0);
        EXPECT_EQ(api.LastTimeouts->WriteTotalTimeoutMultiplier, multiplier) << speed;
        EXPECT_EQ(api.Calls,
                  (Calls{"SetCommTimeouts", "SetCommState " + std::to_string(speed) + " 8 0 0"}));
    }
    api.ClearLog();
    EXPECT_THROW(channel.ConfigurePort(0, 0, 8, 0), LinkError);
    EXPECT_TRUE(api.Calls.empty());
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(Channel, writesInChunksOf2047Bytes) {
    const std::pair<std::size_t, std::size_t> cases[] = {{0, 0}, {2047, 1}, {2048, 2}, {4095, 3}};
    OpenPort(3);
    for (const auto& [length, writes] : cases) {
        api.ClearLog();
        std::string frame(length, '\0');
        std::iota(frame.begin(), frame.end(), '\0');
        channel.WritePort(frame);
        EXPECT_EQ(api.Written, frame) << length;
        EXPECT_EQ(api.Calls.size(), writes) << length;
    }
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(Channel, readsWhatArrivedUpToTheCountAndTheBuffer) {
    const std::tuple<std::int16_t, std::string, std::string, Calls> cases[] = {
        {2, "abcdef", "ab", {"ReadFile 2"}},
        {-5, "abc", "", {}},
        {32767, std::string(5000, 'x'), std::string(2048, 'x'), {"ReadFile 2048"}},
    };
    OpenPort(3);
    for (const auto& [count, queued, expected, made] : cases) {
        api.InboundChunks = {queued};
        api.ClearLog();
        EXPECT_EQ(channel.ReadPort(count), expected) << count;
        EXPECT_EQ(api.Calls, made) << count;
    }
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(Channel, reportsFailedTransfersWithTheirCodes) {
    OpenPort(3);
    api.QueueInbound("abc");
    api.FailCall("WriteFile", 5);
    api.FailCall("ReadFile", 995);
    channel.WritePort("abc");
    EXPECT_EQ(channel.ReadPort(3), "");
    EXPECT_EQ(
        messages.Shown,
        (testing::ShownMessages{
            {QString::fromUtf8("Ошибка передачи Error: 5\r\nПередано 0 байт"), MessageIcon::None},
            {QString::fromUtf8("Ошибка работы с портом Error: 995"), MessageIcon::None}}));
}

}  // namespace
}  // namespace pelta::link

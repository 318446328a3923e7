// The channel's contract with the port calls and the operator, on the in-memory port.

#include "link/serial_channel.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "link/link_error.h"
#include "link/memory_port_api.h"
#include "link_test_support.h"

namespace pelta::link {
namespace {

using testing::RecordingMessageSink;
using testing::ShownMessage;

class SerialChannelTest : public ::testing::Test {
  protected:
    MemoryPortApi api;
    RecordingMessageSink messages;
    SerialChannel channel{api, messages};

    void OpenPort3() {
        api.AddPort(3);
        channel.OpenPort(3);
        api.ClearLog();
    }
};

TEST_F(SerialChannelTest, shouldNameLowPortsPlainlyAndHigherOnesWithTheDevicePrefix) {
    const std::pair<std::int16_t, const char*> cases[] = {
        {1, "COM1"}, {8, "COM8"}, {9, "\\\\.\\COM9"}, {10, "\\\\.\\COM10"}, {123, "\\\\.\\COM123"}};
    for (const auto& [port, name] : cases) {
        EXPECT_EQ(SerialChannel::DeviceName(port), name) << port;
    }
}

TEST_F(SerialChannelTest, shouldHoldAHandleAboveZeroAfterASuccessfulOpen) {
    api.AddPort(12);
    channel.OpenPort(12);
    EXPECT_TRUE(channel.IsOpen());
    EXPECT_EQ(api.Calls, std::vector<std::string>{"CreateFile \\\\.\\COM12"});
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(SerialChannelTest, shouldShowCriticalMessageAndKeepMinusOneWhenThePortIsMissing) {
    channel.OpenPort(12);
    EXPECT_EQ(channel.PortHandle, InvalidHandleValue);
    EXPECT_FALSE(channel.IsOpen());
    ASSERT_EQ(messages.Shown.size(), 1U);
    EXPECT_EQ(messages.Shown[0],
              (ShownMessage{QString::fromUtf8("Ошибка открытия порта \\\\.\\COM12"),
                            MessageIcon::Critical}));
}

TEST_F(SerialChannelTest, shouldPrepareTheLineRecordsEvenWhenTheOpenFails) {
    channel.PortTimeouts.ReadTotalTimeoutConstant = 999;
    channel.OpenPort(4);
    const Dcb expected{28, 2400, 3, 0, 128, 64, 8, 0, 0, 0x11, 0x13, 0x23, 0x1A, 0, 0};
    EXPECT_EQ(channel.PortDcb, expected);
    EXPECT_EQ(channel.PortTimeouts, (CommTimeouts{1, 1, 1, 10, 40}));
}

TEST_F(SerialChannelTest, shouldDeriveTheWriteMultiplierFromTwelveBitTimesPerByte) {
    const std::pair<std::int32_t, std::uint32_t> cases[] = {
        {300, 41}, {600, 21}, {1200, 11}, {2400, 6}, {4800, 3}, {9600, 2}, {14400, 1}, {19200, 1}};
    OpenPort3();
    for (const auto& [speed, multiplier] : cases) {
        channel.ConfigurePort(speed, 0, 8, 0);
        EXPECT_EQ(channel.PortTimeouts.WriteTotalTimeoutMultiplier, multiplier) << speed;
    }
}

TEST_F(SerialChannelTest, shouldApplyTimeoutsThenTheLineParameters) {
    OpenPort3();
    channel.ConfigurePort(19200, 4, 7, 2);
    EXPECT_EQ(api.Calls, (std::vector<std::string>{"SetCommTimeouts", "SetCommState 19200 7 4 2"}));
    ASSERT_TRUE(api.LastDcb.has_value());
    EXPECT_EQ(api.LastDcb->Flags, 3U);
    EXPECT_EQ(api.LastTimeouts->WriteTotalTimeoutMultiplier, 1U);
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(SerialChannelTest, shouldReportBothConfigurationFailuresAfterAFailedOpen) {
    channel.OpenPort(5);
    messages.Shown.clear();
    channel.ConfigurePort(9600, 0, 8, 0);
    const QString badHandle = QString::number(EBADF);
    EXPECT_EQ(messages.Shown,
              (std::vector<ShownMessage>{
                  {QString::fromUtf8("Ошибка при установке таймаутов, Error: ") + badHandle,
                   MessageIcon::None},
                  {QString::fromUtf8("Не удается настроить порт на заданные параметры Error: ") +
                       badHandle,
                   MessageIcon::None}}));
}

TEST_F(SerialChannelTest, shouldThrowForASpeedOfZeroWithoutApplyingAnything) {
    OpenPort3();
    EXPECT_THROW(channel.ConfigurePort(0, 0, 8, 0), LinkError);
    EXPECT_THROW(channel.ConfigurePort(-9600, 0, 8, 0), std::runtime_error);
    EXPECT_TRUE(api.Calls.empty());
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(SerialChannelTest, shouldWriteInChunksOf2047Bytes) {
    struct Case {
        std::size_t Length;
        std::vector<std::size_t> Writes;
    };
    const Case cases[] = {
        {0, {}}, {3, {3}}, {2047, {2047}}, {2048, {2047, 1}}, {4095, {2047, 2047, 1}}};
    OpenPort3();
    for (const auto& c : cases) {
        api.ClearLog();
        std::string frame;
        for (std::size_t i = 0; i < c.Length; ++i) {
            frame.push_back(static_cast<char>(i * 7 % 256));
        }
        channel.WritePort(frame);
        EXPECT_EQ(api.Written, frame) << c.Length;
        ASSERT_EQ(api.Calls.size(), c.Writes.size()) << c.Length;
        for (std::size_t i = 0; i < c.Writes.size(); ++i) {
            // "WriteFile" then " XX" per byte.
            EXPECT_EQ(api.Calls[i].size(), 9 + 3 * c.Writes[i]) << c.Length << " write " << i;
        }
    }
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(SerialChannelTest, shouldLogWrittenBytesInHex) {
    OpenPort3();
    channel.WritePort(std::string("\x01\x32\xBE", 3));
    EXPECT_EQ(api.Calls, std::vector<std::string>{"WriteFile 01 32 BE"});
}

TEST_F(SerialChannelTest, shouldReportAFailedWriteWithTheCountPassed) {
    OpenPort3();
    api.FailCall("WriteFile", 5);
    channel.WritePort("abc");
    ASSERT_EQ(messages.Shown.size(), 1U);
    EXPECT_EQ(messages.Shown[0].Text,
              QString::fromUtf8("Ошибка передачи Error: 5\r\nПередано 0 байт"));
    EXPECT_EQ(messages.Shown[0].Icon, MessageIcon::None);
}

TEST_F(SerialChannelTest, shouldReadWhatArrivedUpToTheCount) {
    struct Case {
        std::int16_t Count;
        std::string Queued;
        std::string Expected;
        std::size_t ReadCalls;
    };
    const Case cases[] = {
        {22, std::string("\x00\xFF\x10", 3), std::string("\x00\xFF\x10", 3), 1},
        {2, "abcdef", "ab", 1},
        {22, "", "", 1},
        {0, "abc", "", 0},
        {-5, "abc", "", 0},
    };
    OpenPort3();
    for (const auto& c : cases) {
        api.InboundChunks.clear();
        api.ClearLog();
        if (!c.Queued.empty()) {
            api.QueueInbound(c.Queued);
        }
        EXPECT_EQ(channel.ReadPort(c.Count), c.Expected) << c.Count;
        EXPECT_EQ(api.Calls.size(), c.ReadCalls) << c.Count;
    }
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(SerialChannelTest, shouldNeverAskForMoreThanTheBufferHolds) {
    OpenPort3();
    api.QueueInbound(std::string(5000, 'x'));
    EXPECT_EQ(channel.ReadPort(32767).size(), 2048U);
    EXPECT_EQ(api.Calls, std::vector<std::string>{"ReadFile 2048"});
}

TEST_F(SerialChannelTest, shouldReportAFailedReadAndReturnNothing) {
    OpenPort3();
    api.QueueInbound("abc");
    api.FailCall("ReadFile", 995);
    EXPECT_EQ(channel.ReadPort(3), "");
    ASSERT_EQ(messages.Shown.size(), 1U);
    EXPECT_EQ(messages.Shown[0].Text, QString::fromUtf8("Ошибка работы с портом Error: 995"));
}

TEST_F(SerialChannelTest, shouldCloseOnlyAnOpenHandle) {
    channel.ClosePort();
    channel.OpenPort(6);
    channel.ClosePort();
    EXPECT_EQ(channel.PortHandle, InvalidHandleValue);
    OpenPort3();
    channel.ClosePort();
    EXPECT_EQ(channel.PortHandle, 0);
    channel.ClosePort();
    EXPECT_EQ(api.Calls, std::vector<std::string>{"CloseHandle"});
    EXPECT_EQ(api.OpenHandleCount(), 0);
}

}  // namespace
}  // namespace pelta::link

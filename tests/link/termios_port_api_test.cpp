// The termios port against real pseudo-terminal pairs: what the channel applies is what the
// kernel holds, and bytes pass unchanged both ways.

#include "link/termios_port_api.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <tuple>

#include "link/exact_speed.h"
#include "link/serial_channel.h"
#include "link_test_support.h"

namespace pelta::link {
namespace {

const QString LineRefused =
    QString::fromUtf8("Не удается настроить порт на заданные параметры Error: ");

// A pty pair whose slave is registered in a scratch map folder as COM3.
class TermiosPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        ASSERT_EQ(::symlink(name, testing::PathIn(map, "COM3").c_str()), 0);
        api.SetAttr = [this](int fd, int action, const termios* settings) {
            applied = *settings;
            return ::tcsetattr(fd, action, settings);
        };
    }
    void TearDown() override {
        ::close(master);
        ::close(slave);
    }
    void OpenAndConfigure(std::int32_t speed, std::uint8_t parity = 0, std::uint8_t dataBits = 8,
                          std::uint8_t stopBits = 0) {
        applied.reset();
        messages.Shown.clear();
        channel.OpenPort(3);
        ASSERT_TRUE(channel.IsOpen()) << api.GetLastError();
        channel.ConfigurePort(speed, parity, dataBits, stopBits);
    }

    QTemporaryDir map;
    int master = -1;
    int slave = -1;
    TermiosPortApi api{{map.path().toStdString(), testing::PathIn(map, "no-sysfs"), "/dev"}};
    testing::RecordingMessageSink messages;
    SerialChannel channel{api, messages};
    std::optional<termios> applied;
};

TEST_F(TermiosPortTest, shouldApplyTheLineParametersTheChannelAsksFor) {
    struct Case {
        std::int32_t Speed;
        std::uint8_t Parity, DataBits, StopBits;
        tcflag_t Size, ParityFlags;
        bool TwoStopBits;
    };
    const Case cases[] = {
        {9600, 0, 8, 0, CS8, 0, false},
        {300, 1, 7, 2, CS7, PARENB | PARODD, true},
        {19200, 2, 6, 0, CS6, PARENB, false},
        {14400, 3, 8, 0, CS8, PARENB | PARODD | CMSPAR, false},  // no B-constant for 14400
        {4800, 4, 7, 2, CS7, PARENB | CMSPAR, true},
        {1200, 0, 5, 1, CS5, 0, true},  // 1.5 stop bits run as the UART's long stop
    };
    for (const auto& c : cases) {
        OpenAndConfigure(c.Speed, c.Parity, c.DataBits, c.StopBits);
        EXPECT_TRUE(messages.Shown.empty()) << c.Speed;
        // The record handed to the kernel: a pty would not keep data bits and PARENB.
        ASSERT_TRUE(applied.has_value());
        EXPECT_EQ(applied->c_cflag & CSIZE, c.Size) << c.Speed;
        EXPECT_EQ(applied->c_cflag & (PARENB | PARODD | CMSPAR), c.ParityFlags) << c.Speed;
        EXPECT_EQ((applied->c_iflag & INPCK) != 0, c.Parity != 0) << c.Speed;
        // What the other side of the pty reports.
        termios held{};
        ASSERT_EQ(::tcgetattr(master, &held), 0);
        EXPECT_EQ(ReadExactSpeed(master), static_cast<std::uint32_t>(c.Speed));
        EXPECT_EQ(::cfgetispeed(&held), ::cfgetospeed(&held)) << c.Speed;
        EXPECT_EQ((held.c_cflag & CSTOPB) != 0, c.TwoStopBits) << c.Speed;
        EXPECT_EQ(held.c_cflag & (PARODD | CMSPAR), c.ParityFlags & (PARODD | CMSPAR)) << c.Speed;
        EXPECT_EQ(held.c_cflag & (CLOCAL | CRTSCTS), tcflag_t{CLOCAL}) << "no flow control";
        EXPECT_EQ((held.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) | (held.c_oflag & OPOST) |
                      (held.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP)),
                  0U)
            << "raw mode at " << c.Speed;
        channel.ClosePort();
    }
}

TEST_F(TermiosPortTest, shouldRefuseWhatTheLineCannotRunWithTheExactMessage) {
    const std::tuple<std::int32_t, std::uint8_t, std::uint8_t, std::uint8_t> cases[] = {
        {9600, 0, 4, 0},  // 4 data bits
        {9600, 0, 8, 1},  // 1.5 stop bits beyond 5 data bits
    };
    for (const auto& [speed, parity, dataBits, stopBits] : cases) {
        OpenAndConfigure(speed, parity, dataBits, stopBits);
        EXPECT_EQ(
            messages.Shown,
            (testing::ShownMessages{{LineRefused + QString::number(EINVAL), MessageIcon::None}}))
            << speed << " " << int(parity) << int(dataBits) << int(stopBits);
        EXPECT_FALSE(applied.has_value()) << "nothing reaches the kernel";
        channel.ClosePort();
    }
}

TEST_F(TermiosPortTest, shouldPassEveryByteUnchangedBothWaysAndReadPromptly) {
    std::string frame;
    for (std::size_t i = 0; i < 2048; ++i) {
        frame.push_back(static_cast<char>(i % 256));
    }
    OpenAndConfigure(19200);
    EXPECT_EQ(channel.ReadPort(22), "") << "a silent peer";
    channel.WritePort(frame);  // 2047 bytes and then 1
    std::string received;
    char chunk[4096];
    pollfd request{master, POLLIN, 0};
    while (received.size() < frame.size() && ::poll(&request, 1, 1000) > 0) {
        const ssize_t n = ::read(master, chunk, sizeof chunk);
        ASSERT_GT(n, 0);
        received.append(chunk, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(received, frame);
    ASSERT_EQ(::write(master, frame.data(), 256), 256);
    const auto start = std::chrono::steady_clock::now();
    received.clear();
    for (int attempt = 0; attempt < 50 && received.size() < 256; ++attempt) {
        received += channel.ReadPort(2048);
    }
    EXPECT_EQ(received, frame.substr(0, 256));
    // Far above what the time-outs allow; a read waiting for all 2048 bytes would hang.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(TermiosPortTest, shouldRefuseAMissingPortAndASecondOpen) {
    channel.OpenPort(7);
    EXPECT_EQ(channel.PortHandle, InvalidHandleValue);
    EXPECT_EQ(api.GetLastError(), static_cast<std::uint32_t>(ENOENT));
    channel.ClosePort();  // nothing to close: the failed handle stays as it is
    EXPECT_EQ(channel.PortHandle, InvalidHandleValue);
    channel.ConfigurePort(9600, 0, 8, 0);  // both steps still run, and fail
    const QString code = QString::number(EBADF);
    EXPECT_EQ(messages.Shown,
              (testing::ShownMessages{
                  {QString::fromUtf8("Ошибка открытия порта COM7"), MessageIcon::Critical},
                  {QString::fromUtf8("Ошибка при установке таймаутов, Error: ") + code,
                   MessageIcon::None},
                  {LineRefused + code, MessageIcon::None}}));
    OpenAndConfigure(9600);
    SerialChannel other{api, messages};
    other.OpenPort(3);
    EXPECT_EQ(other.PortHandle, InvalidHandleValue);
    EXPECT_EQ(api.GetLastError(), static_cast<std::uint32_t>(EBUSY));
    channel.ClosePort();
    other.OpenPort(3);
    EXPECT_TRUE(other.IsOpen()) << "the port is free again after a close";
    other.ClosePort();
}

}  // namespace
}  // namespace pelta::link

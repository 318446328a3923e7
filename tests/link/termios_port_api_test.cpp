// The termios port against real pseudo-terminal pairs: what the channel applies is what the
// kernel holds, and bytes pass unchanged both ways.

#include "link/termios_port_api.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <cerrno>
#include <chrono>
#include <optional>

#include "link/exact_speed.h"
#include "link/serial_channel.h"
#include "link_test_support.h"

namespace pelta::link {
namespace {

using testing::RecordingMessageSink;

// A pty pair whose slave is registered in a scratch map folder as COM3.
class PtyPort {
  public:
    PtyPort() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            return;
        }
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        slaveName_ = name;
        ::symlink(name, testing::PathIn(map_, "COM3").c_str());
    }
    ~PtyPort() {
        ::close(master_);
        ::close(slave_);
    }
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    bool Ready() const { return master_ >= 0 && map_.isValid(); }
    int Master() const { return master_; }
    SerialMapRoots Roots() const {
        return {map_.path().toStdString(), testing::PathIn(map_, "no-sysfs"), "/dev"};
    }
    termios SlaveSettings() const {
        termios settings{};
        ::tcgetattr(master_, &settings);
        return settings;
    }
    // Reads from the master until count bytes came or nothing arrives for a second.
    std::string ReadMaster(std::size_t count) const {
        std::string received;
        char chunk[4096];
        pollfd request{master_, POLLIN, 0};
        while (received.size() < count && ::poll(&request, 1, 1000) > 0) {
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n <= 0) {
                break;
            }
            received.append(chunk, static_cast<std::size_t>(n));
        }
        return received;
    }
    void WriteMaster(const std::string& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

  private:
    QTemporaryDir map_;
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
};

std::string AllByteValues(std::size_t length) {
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i) {
        bytes.push_back(static_cast<char>(i % 256));
    }
    return bytes;
}

class TermiosPortTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(pty.Ready()); }

    PtyPort pty;
    TermiosPortApi api{pty.Roots()};
    RecordingMessageSink messages;
    SerialChannel channel{api, messages};
    std::optional<termios> applied;

    void OpenAndConfigure(std::int32_t speed, std::uint8_t parity, std::uint8_t dataBits,
                          std::uint8_t stopBits) {
        api.SetAttr = [this](int fd, int action, const termios* settings) {
            applied = *settings;
            return ::tcsetattr(fd, action, settings);
        };
        channel.OpenPort(3);
        ASSERT_TRUE(channel.IsOpen()) << api.GetLastError();
        channel.ConfigurePort(speed, parity, dataBits, stopBits);
    }
};

TEST_F(TermiosPortTest, shouldApplyTheLineParametersTheChannelAsksFor) {
    struct Case {
        std::int32_t Speed;
        std::uint8_t Parity, DataBits, StopBits;
        speed_t Constant;
        tcflag_t Size, ParityFlags;
        bool TwoStopBits;
    };
    const Case cases[] = {
        {9600, 0, 8, 0, B9600, CS8, 0, false},
        {300, 1, 7, 2, B300, CS7, PARENB | PARODD, true},
        {19200, 2, 6, 0, B19200, CS6, PARENB, false},
        {2400, 3, 8, 0, B2400, CS8, PARENB | PARODD | CMSPAR, false},
        {4800, 4, 7, 2, B4800, CS7, PARENB | CMSPAR, true},
        {1200, 0, 5, 1, B1200, CS5, 0, true},  // 1.5 stop bits run as the UART's long stop
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
        const termios held = pty.SlaveSettings();
        EXPECT_EQ(::cfgetospeed(&held), c.Constant) << c.Speed;
        EXPECT_EQ(::cfgetispeed(&held), c.Constant) << c.Speed;
        EXPECT_EQ((held.c_cflag & CSTOPB) != 0, c.TwoStopBits) << c.Speed;
        EXPECT_EQ(held.c_cflag & (PARODD | CMSPAR), c.ParityFlags & (PARODD | CMSPAR)) << c.Speed;
        EXPECT_EQ(held.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0U) << c.Speed;
        EXPECT_EQ(held.c_oflag & OPOST, 0U) << c.Speed;
        EXPECT_EQ(held.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0U) << c.Speed;
        EXPECT_EQ(held.c_cflag & CRTSCTS, 0U) << c.Speed;
        EXPECT_NE(held.c_cflag & CLOCAL, 0U) << c.Speed;
        channel.ClosePort();
    }
}

TEST_F(TermiosPortTest, shouldRefuseWhatTheLineCannotRunWithTheExactMessage) {
    struct Case {
        std::int32_t Speed;
        std::uint8_t Parity, DataBits, StopBits;
    };
    const Case cases[] = {
        {9600, 0, 4, 0},     // 4 data bits
        {9600, 0, 8, 1},     // 1.5 stop bits with 8 data bits
        {9600, 0, 6, 1},     // 1.5 stop bits with 6 data bits
        {5000000, 0, 8, 0},  // beyond any UART
        {9600, 5, 8, 0},     // no such parity code
    };
    const QString expected =
        QString::fromUtf8("Не удается настроить порт на заданные параметры Error: ") +
        QString::number(EINVAL);
    for (const auto& c : cases) {
        messages.Shown.clear();
        applied.reset();
        OpenAndConfigure(c.Speed, c.Parity, c.DataBits, c.StopBits);
        ASSERT_EQ(messages.Shown.size(), 1U) << int(c.DataBits) << " " << int(c.StopBits);
        EXPECT_EQ(messages.Shown[0].Text, expected);
        EXPECT_FALSE(applied.has_value()) << "nothing reaches the kernel";
        channel.ClosePort();
    }
}

TEST_F(TermiosPortTest, shouldRunSpeedsWithoutAConstantAtTheirExactRate) {
    for (const std::int32_t speed : {14400, 9600}) {
        OpenAndConfigure(speed, 0, 8, 0);
        EXPECT_TRUE(messages.Shown.empty()) << speed;
        EXPECT_EQ(ReadExactSpeed(pty.Master()), static_cast<std::uint32_t>(speed));
        channel.ClosePort();
    }
}

TEST_F(TermiosPortTest, shouldWriteEveryByteUnchanged) {
    for (const std::size_t length : {std::size_t{256}, std::size_t{2047}, std::size_t{2048}}) {
        OpenAndConfigure(19200, 0, 8, 0);
        const std::string frame = AllByteValues(length);
        channel.WritePort(frame);
        EXPECT_EQ(pty.ReadMaster(length), frame) << length;
        EXPECT_TRUE(messages.Shown.empty()) << length;
        channel.ClosePort();
    }
}

TEST_F(TermiosPortTest, shouldReadWhatHasArrivedAndReturnPromptly) {
    OpenAndConfigure(9600, 0, 8, 0);
    const std::string sent = AllByteValues(256);
    pty.WriteMaster(sent);
    std::string received;
    for (int attempt = 0; attempt < 20 && received.size() < sent.size(); ++attempt) {
        received += channel.ReadPort(256);
    }
    EXPECT_EQ(received, sent);
    pty.WriteMaster("abc");
    ::usleep(20000);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.ReadPort(22), "abc");
    // Far above the 23 ms the time-outs allow; a read waiting for all 22 bytes would hang.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(TermiosPortTest, shouldReturnNothingWithoutMessageFromASilentPeer) {
    OpenAndConfigure(9600, 0, 8, 0);
    EXPECT_EQ(channel.ReadPort(22), "");
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(TermiosPortTest, shouldRefuseASecondOpenOfThePortWithBusy) {
    OpenAndConfigure(9600, 0, 8, 0);
    TermiosPortApi otherApi{pty.Roots()};
    RecordingMessageSink otherMessages;
    SerialChannel other{otherApi, otherMessages};
    other.OpenPort(3);
    EXPECT_EQ(other.PortHandle, InvalidHandleValue);
    EXPECT_EQ(otherApi.GetLastError(), static_cast<std::uint32_t>(EBUSY));
    ASSERT_EQ(otherMessages.Shown.size(), 1U);
    EXPECT_EQ(otherMessages.Shown[0].Text, QString::fromUtf8("Ошибка открытия порта COM3"));
    channel.ClosePort();
    other.OpenPort(3);
    EXPECT_TRUE(other.IsOpen()) << "the port is free again after a close";
    other.ClosePort();
}

TEST_F(TermiosPortTest, shouldShowCriticalMessageForAMissingPort) {
    channel.OpenPort(7);
    EXPECT_EQ(channel.PortHandle, InvalidHandleValue);
    EXPECT_EQ(api.GetLastError(), static_cast<std::uint32_t>(ENOENT));
    ASSERT_EQ(messages.Shown.size(), 1U);
    EXPECT_EQ(messages.Shown[0].Text, QString::fromUtf8("Ошибка открытия порта COM7"));
    EXPECT_EQ(messages.Shown[0].Icon, MessageIcon::Critical);
}

TEST_F(TermiosPortTest, shouldRefuseCallsOnHandlesItDidNotOpen) {
    std::uint8_t byte = 0;
    std::uint32_t done = 0;
    const int foreign = pty.Master();
    EXPECT_FALSE(api.SetCommTimeouts(foreign, CommTimeouts{}));
    EXPECT_FALSE(api.SetCommState(foreign, Dcb{}));
    EXPECT_FALSE(api.ReadFile(foreign, &byte, 1, &done));
    EXPECT_FALSE(api.WriteFile(foreign, &byte, 1, &done));
    EXPECT_FALSE(api.CloseHandle(foreign));
    EXPECT_EQ(api.GetLastError(), static_cast<std::uint32_t>(EBADF));
    EXPECT_GE(::fcntl(foreign, F_GETFD), 0) << "a foreign descriptor stays open";
}

}  // namespace
}  // namespace pelta::link

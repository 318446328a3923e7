// The termios port against real pseudo-terminal pairs: what the channel applies is what the
// kernel holds, and bytes pass unchanged both ways. The kernel calls are recorded on the way,
// for what a pty cannot show (modem lines, flags a pty drops, the flush before each write).

#include "link/termios_port_api.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <QTemporaryDir>
#include <cerrno>
#include <chrono>
#include <functional>
#include <map>
#include <numeric>
#include <tuple>

#include "link/exact_speed.h"
#include "link/kernel_calls.h"
#include "link/serial_channel.h"
#include "link_test_support.h"
#include "tests/support/memory_port_api.h"

namespace pelta::link {
namespace {

// How a tcsetattr is logged: the flags, VMIN, VTIME and the speed constant.
std::string Applied(const termios& s) {
    return "tcsetattr cflag=" + std::to_string(s.c_cflag & ~(CBAUD | CBAUDEX | CIBAUD)) +
           " iflag=" + std::to_string(s.c_iflag) + " oflag=" + std::to_string(s.c_oflag) +
           " lflag=" + std::to_string(s.c_lflag) + " VMIN=" + std::to_string(s.c_cc[VMIN]) +
           " VTIME=" + std::to_string(s.c_cc[VTIME]) +
           " speed=" + std::to_string(::cfgetospeed(&s));
}
// How a tcsetattr of a raw line with the given control flags and speed constant is logged.
std::string Applied(tcflag_t cflag, speed_t speed) {
    termios raw{};
    raw.c_cflag = cflag;
    raw.c_cc[VMIN] = 1;
    ::cfsetospeed(&raw, speed);
    return Applied(raw);
}

// A kernel seam for tests: every call the termios port makes but poll and read is logged in order
// with what matters of its arguments, then passed to the real kernel (so it runs on a real pty),
// unless a failure was planted for it. Flags are logged as numbers; tests spell the expected
// ones with the kernel's own constants (see Applied).
//
//   "open 526338"   "ioctl TIOCMBIC 6"   "tcsetattr cflag=2224 iflag=0 ... speed=13"
//   "tcflush 0"   "write 01 32 BE"   "close"
class RecordingKernelCalls final : public KernelCalls {
  public:
    std::vector<std::string> Calls;
    // A call whose log line starts with a key fails with that errno, without reaching the kernel.
    std::map<std::string, int> Failures;

    int Open(const char* path, int flags) override {
        return Pass("open " + std::to_string(flags)) ? kernel_.Open(path, flags) : -1;
    }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        const std::string name = request == TIOCEXCL ? "TIOCEXCL"
                                 : request == TIOCMBIC
                                     ? "TIOCMBIC " + std::to_string(*static_cast<int*>(argument))
                                     : std::to_string(request);
        return Pass("ioctl " + name) ? kernel_.Ioctl(fd, request, argument) : -1;
    }
    int TcGetAttr(int fd, termios* settings) override {
        return Pass("tcgetattr") ? kernel_.TcGetAttr(fd, settings) : -1;
    }
    int TcSetAttr(int fd, int action, const termios* settings) override {
        const std::string call = Applied(*settings) + (action == TCSANOW ? "" : " later");
        return Pass(call) ? kernel_.TcSetAttr(fd, action, settings) : -1;
    }
    int TcFlush(int fd, int queue) override {
        return Pass("tcflush " + std::to_string(queue)) ? kernel_.TcFlush(fd, queue) : -1;
    }
    ssize_t Read(int fd, void* buffer, size_t count) override {
        return kernel_.Read(fd, buffer, count);  // as many as the bytes' arrival takes
    }
    ssize_t Write(int fd, const void* buffer, size_t count) override {
        return Pass("write" + HexBytes(buffer, count)) ? kernel_.Write(fd, buffer, count) : -1;
    }
    int Poll(pollfd* request, nfds_t count, int timeoutMs) override {
        return kernel_.Poll(request, count, timeoutMs);  // how often it runs depends on timing
    }
    int Flock(int fd, int operation) override {
        return Pass("flock " + std::to_string(operation)) ? kernel_.Flock(fd, operation) : -1;
    }
    int Close(int fd) override { return Pass("close") ? kernel_.Close(fd) : -1; }

  private:
    // Logs the call; false when a planted failure answers it instead of the kernel.
    bool Pass(const std::string& call) {
        Calls.push_back(call);
        for (const auto& [key, error] : Failures) {
            if (call.starts_with(key)) {
                errno = error;
                return false;
            }
        }
        return true;
    }

    KernelCalls& kernel_ = SystemKernel();
};

const QString LineRefused =
    QString::fromUtf8("Не удается настроить порт на заданные параметры Error: ");

// A pty pair whose slave is registered in a scratch map folder as COM3.
class TermiosPort : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(::symlink(pty.name, map.filePath("COM3").toStdString().c_str()), 0);
        // As another program sharing the adapter left it: canonical, echoing, CR to NL on input.
        ASSERT_EQ(::tcgetattr(pty.slave, &found), 0);
        found.c_cflag |= CSTOPB;
        std::tie(found.c_cc[VMIN], found.c_cc[VTIME]) = std::pair(4, 7);
        ::cfsetspeed(&found, B4800);
        ASSERT_EQ(::tcsetattr(pty.slave, TCSANOW, &found), 0);
        ASSERT_EQ(::tcgetattr(pty.slave, &found), 0);  // as the pty keeps them
    }
    void OpenAndConfigure(std::int32_t speed, std::uint8_t parity = 0, std::uint8_t dataBits = 8,
                          std::uint8_t stopBits = 0) {
        kernel.Calls.clear();
        messages.Shown.clear();
        channel.OpenPort(3);
        ASSERT_TRUE(channel.IsOpen()) << api.GetLastError();
        channel.ConfigurePort(speed, parity, dataBits, stopBits);
    }

    QTemporaryDir map;
    testing::PtyPair pty;
    termios found{};  // the pty's settings before any open, put back after each
    RecordingKernelCalls kernel;
    TermiosPortApi api{{map.path().toStdString(), map.filePath("no-sysfs").toStdString(), "/dev"},
                       kernel};
    testing::RecordingMessageSink messages;
    SerialChannel channel{api, messages};
};

const std::string ModemLinesDown = "ioctl TIOCMBIC " + std::to_string(TIOCM_DTR | TIOCM_RTS);
// What the open asks of the kernel: exclusive use, modem lines down, raw at the pty's speed.
const std::vector<std::string> OpenCalls = {
    "open " + std::to_string(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC),
    "ioctl TIOCEXCL",
    "flock " + std::to_string(LOCK_EX | LOCK_NB),
    ModemLinesDown,
    "tcgetattr",
    Applied(CS8 | CREAD | CLOCAL, B4800),
};

// Parity is generated, never checked or marked. Stale input is flushed just before each
// request. After a refused configuration the exchange carries on at the speed and in the raw
// mode the open set. Every byte value passes unaltered both ways (none translated, swallowed or
// echoed as in the default mode), and a read returns what came without waiting for all it may
// take.
TEST_F(TermiosPort, appliesTheLineAndPassesEveryByteUnalteredAfterAFlushEvenAfterARefusal) {
    const struct {
        std::int32_t Speed;
        speed_t Constant;  // B38400 stands for a speed set exactly after termios
        std::uint8_t Parity, DataBits, StopBits;
        tcflag_t Cflag;  // 0: refused
    } cases[] = {
        {9600, B9600, 0, 8, 0, CS8 | CREAD | CLOCAL},
        {300, B300, 1, 7, 2, CS7 | CSTOPB | CREAD | PARENB | PARODD | CLOCAL},
        {19200, B19200, 2, 6, 0, CS6 | CREAD | PARENB | CLOCAL},
        {14400, B38400, 3, 8, 0, CS8 | CREAD | PARENB | PARODD | CLOCAL | CMSPAR},
        {4800, B4800, 4, 7, 2, CS7 | CSTOPB | CREAD | PARENB | CLOCAL | CMSPAR},
        {1200, B1200, 0, 5, 1, CS5 | CSTOPB | CREAD | CLOCAL},  // 1.5 stop: the UART's long stop
        {9600, B4800, 0, 4, 0, 0},                              // 4 data bits
        {9600, B4800, 0, 8, 1, 0},                              // 1.5 stop bits beyond 5 data bits
    };
    const testing::ShownMessages refusal = {
        {LineRefused + QString::number(EINVAL), MessageIcon::None}};
    std::string frame(256, '\0');
    std::iota(frame.begin(), frame.end(), '\0');
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Speed) + " " + std::to_string(c.DataBits));
        OpenAndConfigure(c.Speed, c.Parity, c.DataBits, c.StopBits);
        const bool refused = c.Cflag == 0;
        const tcflag_t cflag = refused ? CS8 | CREAD | CLOCAL : c.Cflag;
        const auto speed = static_cast<std::uint32_t>(refused ? 4800 : c.Speed);
        EXPECT_EQ(messages.Shown, refused ? refusal : testing::ShownMessages{});
        std::vector<std::string> calls = OpenCalls;
        if (!refused) {
            calls.insert(calls.end(), {"tcgetattr", Applied(cflag, c.Constant)});
            if (c.Speed == 14400) {
                calls.insert(calls.end(), {"ioctl " + std::to_string(GetExactSpeedRequest()),
                                           "ioctl " + std::to_string(SetExactSpeedRequest())});
            }
            calls.push_back(ModemLinesDown);
        }
        // What the other side of the pty reports; a pty drops CSIZE and PARENB.
        termios held{};
        ASSERT_EQ(::tcgetattr(pty.master, &held), 0);
        EXPECT_EQ(ReadExactSpeed(pty.master), speed);
        const tcflag_t kept = CSTOPB | PARODD | CMSPAR | CLOCAL | CRTSCTS | HUPCL;
        EXPECT_EQ(held.c_cflag & kept, cflag & kept);

        EXPECT_EQ(channel.ReadPort(22), "") << "a silent peer";
        pty.Send("late reply");
        ::tcdrain(pty.master);
        channel.PurgeInput();
        channel.WritePort(frame);
        EXPECT_EQ(pty.Received(frame.size()), frame);
        pty.Send(frame);
        const auto start = std::chrono::steady_clock::now();
        std::string received;
        for (int attempt = 0; attempt < 50 && received.size() < frame.size(); ++attempt) {
            received += channel.ReadPort(2048);
        }
        EXPECT_EQ(received, frame);
        // Far above what the time-outs allow; a read waiting for all 2048 bytes would hang.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        channel.ClosePort();
        calls.insert(calls.end(), {"tcflush " + std::to_string(TCIFLUSH),
                                   "write" + HexBytes(frame.data(), 256), Applied(found), "close"});
        EXPECT_EQ(kernel.Calls, calls);
    }
}

// A pty has no modem lines: its refusal to drop them is planted, and only EINVAL is let pass. A
// refused open releases its descriptor; the failed handle then fails both configuring steps. A
// line left at a speed without a B-constant gets that speed back after an exchange.
TEST_F(TermiosPort, opensWithoutModemLinesRestoresExactSpeedsAndRefusesMissingOrBusyLines) {
    const struct {
        std::int16_t Port;
        const char *Planted, *Name;  // from COM9 on the name takes the device prefix
        int Error;
        std::uint32_t Refusal;  // 0: it opens
    } cases[] = {{3, "ioctl TIOCMBIC", "", EINVAL, 0},
                 {3, "ioctl TIOCMBIC", "COM3", EIO, EIO},
                 {3, "tcsetattr", "COM3", EIO, EIO},
                 {9, "-", "\\\\.\\COM9", 0, ENOENT}};
    const QString badf = QString::number(EBADF);
    for (const auto& c : cases) {
        kernel.Failures = {{c.Planted, c.Error}};
        kernel.Calls.clear();
        messages.Shown.clear();
        channel.OpenPort(c.Port);
        EXPECT_EQ(channel.IsOpen() ? 0U : api.GetLastError(), c.Refusal) << c.Planted;
        channel.ClosePort();
        EXPECT_TRUE(kernel.Calls.empty() || kernel.Calls.back() == "close") << c.Planted;
        if (c.Refusal != 0) {
            EXPECT_EQ(channel.PortHandle, InvalidHandleValue) << "nothing to close";
            channel.ConfigurePort(9600, 0, 8, 0);
            EXPECT_EQ(
                messages.Shown,
                (testing::ShownMessages{
                    {QString::fromUtf8("Ошибка открытия порта ") + c.Name, MessageIcon::Critical},
                    {QString::fromUtf8("Ошибка при установке таймаутов, Error: ") + badf,
                     MessageIcon::None},
                    {LineRefused + badf, MessageIcon::None}}))
                << c.Planted;
        }
    }
    kernel.Failures.clear();
    ASSERT_EQ(SetExactSpeed(pty.slave, 250000, std::bind_front(&KernelCalls::Ioctl, &kernel)), 0);
    termios before{}, after{};
    ASSERT_EQ(::tcgetattr(pty.slave, &before), 0);
    OpenAndConfigure(19200, 1, 7, 2);
    channel.ClosePort();
    ASSERT_EQ(::tcgetattr(pty.slave, &after), 0);
    EXPECT_EQ(Applied(after), Applied(before));
    EXPECT_EQ(ReadExactSpeed(pty.slave), 250000U);
    EXPECT_TRUE(messages.Shown.empty());
    OpenAndConfigure(9600);
    SerialChannel other{api, messages};
    other.OpenPort(3);
    EXPECT_EQ(other.PortHandle, InvalidHandleValue);
    EXPECT_EQ(api.GetLastError(), static_cast<std::uint32_t>(EBUSY));
}

}  // namespace
}  // namespace pelta::link

#include "link/termios_port_api.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <optional>

#include "link/exact_speed.h"
#include "link/line_rules.h"
#include "link/standard_speeds.h"

namespace pelta::link {
namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;
constexpr std::uint32_t MaxDword = std::numeric_limits<std::uint32_t>::max();

speed_t SpeedConstant(std::uint32_t bitsPerSecond) {
    for (const auto& speed : StandardSpeeds) {
        if (speed.BitsPerSecond == bitsPerSecond) {
            return speed.Constant;
        }
    }
    return B38400;  // a placeholder: SetCommState then sets the exact speed
}

tcflag_t DataBitsFlag(std::uint8_t dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

tcflag_t ParityFlags(std::uint8_t parity) {
    switch (parity) {
        case ParityCode::Odd:
            return PARENB | PARODD;
        case ParityCode::Even:
            return PARENB;
        case ParityCode::Mark:
            return PARENB | CMSPAR | PARODD;
        case ParityCode::Space:
            return PARENB | CMSPAR;
        default:
            return 0;
    }
}

// Binary both ways: every input, output and local processing off, the speed kept, 8 data bits,
// the receiver on, modem status ignored, no HUPCL (closing must not pulse DTR and RTS). VMIN 1
// makes a read with nothing there report EAGAIN, so poll() alone decides how long to wait.
void MakeRaw(termios& settings) {
    settings.c_iflag = 0;
    settings.c_oflag = 0;
    settings.c_lflag = 0;
    settings.c_cflag = (settings.c_cflag & (CBAUD | CBAUDEX | CIBAUD)) | CS8 | CREAD | CLOCAL;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
}

// Parity is generated as chosen but never checked: a damaged byte reaches the reply unaltered
// and the CRC decides.
void ApplyLineParameters(termios& settings, const Dcb& dcb) {
    MakeRaw(settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
    settings.c_cflag |= DataBitsFlag(dcb.ByteSize) | ParityFlags(dcb.Parity);
    // With 5 data bits the UART's second stop bit is one and a half bit-times long.
    if (dcb.StopBits != StopBitsCode::One) {
        settings.c_cflag |= CSTOPB;
    }
    ::cfsetispeed(&settings, SpeedConstant(dcb.BaudRate));
    ::cfsetospeed(&settings, SpeedConstant(dcb.BaudRate));
}

// Handles stay above 0 even when the standard descriptors are closed.
int MoveAboveStandardDescriptors(int fd) {
    if (fd > STDERR_FILENO) {
        return fd;
    }
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int savedErrno = errno;
    ::close(fd);
    errno = savedErrno;
    return moved;
}

std::optional<Clock::time_point> TotalDeadline(Clock::time_point start, std::uint32_t multiplier,
                                               std::uint32_t constant, std::uint32_t count) {
    if (multiplier == 0 && constant == 0) {
        return std::nullopt;
    }
    const auto total = static_cast<std::uint64_t>(multiplier) * count + constant;
    return start + Milliseconds(total);
}

// Milliseconds poll() may wait: -1 for no limit, 0 when the deadline has passed.
int PollTimeout(std::optional<Clock::time_point> deadline) {
    if (!deadline) {
        return -1;
    }
    const auto left = std::chrono::ceil<Milliseconds>(*deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, std::numeric_limits<int>::max()));
}

std::optional<Clock::time_point> Earlier(std::optional<Clock::time_point> a,
                                         std::optional<Clock::time_point> b) {
    if (!a || !b) {
        return a ? a : b;
    }
    return std::min(*a, *b);
}

}  // namespace

TermiosPortApi::TermiosPortApi() : TermiosPortApi(DefaultSerialMapRoots()) {}

TermiosPortApi::TermiosPortApi(SerialMapRoots roots, KernelCalls& kernel)
    : roots_(std::move(roots)), kernel_(kernel) {}

TermiosPortApi::~TermiosPortApi() {
    for (const auto& [fd, port] : open_) {
        RestoreAndClose(fd, port);
    }
}

bool TermiosPortApi::Fail(int errorCode) {
    lastError_ = static_cast<std::uint32_t>(errorCode);
    return false;
}

CommTimeouts* TermiosPortApi::TimeoutsOf(PortHandleValue handle) {
    const auto found = open_.find(handle);
    if (found == open_.end()) {
        Fail(EBADF);
        return nullptr;
    }
    return &found->second.Timeouts;
}

PortHandleValue TermiosPortApi::CreateFile(const std::string& deviceName) {
    const auto path = ResolveDeviceName(deviceName, roots_);
    if (!path) {
        Fail(ENOENT);
        return InvalidHandleValue;
    }
    const int fd = OpenDevice(*path);
    if (fd < 0) {
        Fail(errno);
        return InvalidHandleValue;
    }
    termios before{};
    if (const int error = PrepareLine(fd, before); error != 0) {
        kernel_.Close(fd);
        Fail(error);
        return InvalidHandleValue;
    }
    // Until time-outs are set, a read returns at once with what is there.
    const std::uint32_t exactSpeed = NamesExactSpeed(before.c_cflag) ? ReadExactSpeed(fd) : 0;
    open_[fd] = OpenPort{CommTimeouts{MaxDword, 0, 0, 0, 0}, before, exactSpeed};
    return fd;
}

int TermiosPortApi::OpenDevice(const std::string& path) {
    int fd = -1;
    do {
        fd = kernel_.Open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd >= 0 ? MoveAboveStandardDescriptors(fd) : fd;
}

int TermiosPortApi::PrepareLine(int fd, termios& before) {
    // TIOCEXCL keeps other users out; flock also holds against root, whom TIOCEXCL lets in.
    // Only a port that is ours has its modem lines touched.
    if (kernel_.Ioctl(fd, TIOCEXCL, nullptr) != 0 || kernel_.Flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK ? EBUSY : errno;
    }
    if (const int error = DropModemLines(fd); error != 0) {
        return error;
    }
    if (kernel_.TcGetAttr(fd, &before) != 0) {
        return errno;
    }
    termios settings = before;
    MakeRaw(settings);
    return SetAttributes(fd, settings);
}

// Put back at once: the exchange has read its reply, so no output is waiting that a change of
// speed could garble. A refusal is no reason to keep the port open. A speed without a B-constant
// does not survive tcsetattr and is set again exactly.
int TermiosPortApi::RestoreAndClose(int fd, const OpenPort& port) {
    if (SetAttributes(fd, port.Before) == 0 && port.ExactSpeedBefore != 0) {
        SetExactSpeed(fd, port.ExactSpeedBefore, [this](int d, unsigned long request, void* arg) {
            return kernel_.Ioctl(d, request, arg);
        });
    }
    return kernel_.Close(fd);
}

// A port without modem lines (a pseudo-terminal) answers EINVAL or ENOTTY: nothing to drop.
int TermiosPortApi::DropModemLines(int fd) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (kernel_.Ioctl(fd, TIOCMBIC, &lines) == 0 || errno == EINVAL || errno == ENOTTY) {
        return 0;
    }
    return errno;
}

int TermiosPortApi::SetAttributes(int fd, const termios& settings) {
    int result = 0;
    do {
        result = kernel_.TcSetAttr(fd, TCSANOW, &settings);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

bool TermiosPortApi::WaitReady(int fd, short events, int timeoutMs) {
    pollfd request{fd, events, 0};
    int ready = 0;
    do {
        ready = kernel_.Poll(&request, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

bool TermiosPortApi::SetCommTimeouts(PortHandleValue handle, const CommTimeouts& timeouts) {
    CommTimeouts* current = TimeoutsOf(handle);
    if (current == nullptr) {
        return false;
    }
    *current = timeouts;
    return true;
}

bool TermiosPortApi::SetCommState(PortHandleValue handle, const Dcb& dcb) {
    if (TimeoutsOf(handle) == nullptr) {
        return false;
    }
    if (const int refusal = CheckLineParameters(dcb); refusal != 0) {
        return Fail(refusal);
    }
    termios settings{};
    if (kernel_.TcGetAttr(handle, &settings) != 0) {
        return Fail(errno);
    }
    ApplyLineParameters(settings, dcb);
    if (const int error = SetAttributes(handle, settings); error != 0) {
        return Fail(error);
    }
    if (!IsStandardSpeed(dcb.BaudRate)) {
        const auto ioctlCall = [this](int fd, unsigned long request, void* argument) {
            return kernel_.Ioctl(fd, request, argument);
        };
        if (const int error = SetExactSpeed(handle, dcb.BaudRate, ioctlCall); error != 0) {
            return Fail(error);
        }
    }
    // Leaving speed 0 (a hung-up line) raises DTR and RTS again in some drivers.
    if (const int error = DropModemLines(handle); error != 0) {
        return Fail(error);
    }
    return true;
}

bool TermiosPortApi::ReadFile(PortHandleValue handle, std::uint8_t* buffer, std::uint32_t count,
                              std::uint32_t* bytesRead) {
    *bytesRead = 0;
    const CommTimeouts* timeouts = TimeoutsOf(handle);
    if (timeouts == nullptr) {
        return false;
    }
    const bool returnAtOnce = timeouts->ReadIntervalTimeout == MaxDword &&
                              timeouts->ReadTotalTimeoutMultiplier == 0 &&
                              timeouts->ReadTotalTimeoutConstant == 0;
    const auto total = TotalDeadline(Clock::now(), timeouts->ReadTotalTimeoutMultiplier,
                                     timeouts->ReadTotalTimeoutConstant, count);
    std::optional<Clock::time_point> interval;
    while (*bytesRead < count) {
        const ssize_t n = kernel_.Read(handle, buffer + *bytesRead, count - *bytesRead);
        if (n > 0) {
            *bytesRead += static_cast<std::uint32_t>(n);
            if (timeouts->ReadIntervalTimeout != 0 && timeouts->ReadIntervalTimeout != MaxDword) {
                interval = Clock::now() + Milliseconds(timeouts->ReadIntervalTimeout);
            }
            continue;
        }
        if (n == 0) {
            break;  // the other end has gone: nothing more will arrive
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            return Fail(errno);
        }
        if (returnAtOnce || !WaitReady(handle, POLLIN, PollTimeout(Earlier(total, interval)))) {
            break;
        }
    }
    return true;
}

bool TermiosPortApi::WriteFile(PortHandleValue handle, const std::uint8_t* buffer,
                               std::uint32_t count, std::uint32_t* bytesWritten) {
    *bytesWritten = 0;
    const CommTimeouts* timeouts = TimeoutsOf(handle);
    if (timeouts == nullptr) {
        return false;
    }
    const auto deadline = TotalDeadline(Clock::now(), timeouts->WriteTotalTimeoutMultiplier,
                                        timeouts->WriteTotalTimeoutConstant, count);
    while (*bytesWritten < count) {
        const ssize_t n = kernel_.Write(handle, buffer + *bytesWritten, count - *bytesWritten);
        if (n > 0) {
            *bytesWritten += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return Fail(errno);
        }
        if (!WaitReady(handle, POLLOUT, PollTimeout(deadline))) {
            return Fail(ETIMEDOUT);  // a short write is a failure, never a success
        }
    }
    return true;
}

bool TermiosPortApi::PurgeComm(PortHandleValue handle, std::uint32_t flags) {
    if (TimeoutsOf(handle) == nullptr) {
        return false;
    }
    if ((flags & PURGE_RXCLEAR) == 0) {
        return true;  // only received input is ever discarded
    }
    return kernel_.TcFlush(handle, TCIFLUSH) == 0 || Fail(errno);
}

bool TermiosPortApi::CloseHandle(PortHandleValue handle) {
    const auto found = open_.find(handle);
    if (found == open_.end()) {
        return Fail(EBADF);
    }
    const OpenPort port = found->second;
    open_.erase(found);
    return RestoreAndClose(handle, port) == 0 || Fail(errno);
}

}  // namespace pelta::link

#include "recording_kernel_calls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "link/standard_speeds.h"

namespace pelta::link::testing {
namespace {

using Names = std::vector<std::pair<unsigned long, const char*>>;

// "A|B" for the named bits that are set, plus any other bits in hexadecimal; "0" for none.
std::string BitNames(unsigned long value, const Names& names) {
    std::string text;
    for (const auto& [bit, name] : names) {
        if ((value & bit) == bit && bit != 0) {
            text += (text.empty() ? "" : "|") + std::string(name);
            value &= ~bit;
        }
    }
    if (value != 0) {
        char rest[24];
        std::snprintf(rest, sizeof rest, "0x%lx", value);
        text += (text.empty() ? "" : "|") + std::string(rest);
    }
    return text.empty() ? "0" : text;
}

std::string SpeedText(speed_t constant) {
    for (const auto& speed : StandardSpeeds) {
        if (speed.Constant == constant) {
            return std::to_string(speed.BitsPerSecond);
        }
    }
    return "other";
}

std::string Hex(const void* bytes, size_t count) {
    std::string text;
    char digits[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, " %02X", static_cast<const unsigned char*>(bytes)[i]);
        text += digits;
    }
    return text;
}

std::string RequestText(unsigned long request, const void* argument) {
    if (request == TIOCEXCL) {
        return "TIOCEXCL";
    }
    if (request == TIOCMBIC) {
        const Names lines = {{TIOCM_DTR, "DTR"}, {TIOCM_RTS, "RTS"}};
        return "TIOCMBIC " +
               BitNames(static_cast<unsigned>(*static_cast<const int*>(argument)), lines);
    }
    return BitNames(request, {});
}

}  // namespace

std::string DescribeTermios(const termios& settings) {
    const Names cflags = {{CSTOPB, "CSTOPB"}, {CREAD, "CREAD"},    {PARENB, "PARENB"},
                          {PARODD, "PARODD"}, {HUPCL, "HUPCL"},    {CLOCAL, "CLOCAL"},
                          {CMSPAR, "CMSPAR"}, {CRTSCTS, "CRTSCTS"}};
    const tcflag_t size = settings.c_cflag & CSIZE;
    const std::string sizeName = size == CS8   ? "CS8"
                                 : size == CS7 ? "CS7"
                                 : size == CS6 ? "CS6"
                                               : "CS5";
    const std::string others =
        BitNames(settings.c_cflag & ~(CBAUD | CBAUDEX | CIBAUD | CSIZE), cflags);
    // Raw mode clears the other three words whole; any bit left shows in hexadecimal.
    return "cflag=" + sizeName + (others == "0" ? "" : "|" + others) +
           " iflag=" + BitNames(settings.c_iflag, {}) + " oflag=" + BitNames(settings.c_oflag, {}) +
           " lflag=" + BitNames(settings.c_lflag, {}) +
           " VMIN=" + std::to_string(settings.c_cc[VMIN]) +
           " VTIME=" + std::to_string(settings.c_cc[VTIME]) +
           " speed=" + SpeedText(::cfgetospeed(&settings));
}

bool RecordingKernelCalls::Pass(const std::string& call) {
    Calls.push_back(call);
    for (const auto& [key, error] : Failures) {
        if (call.rfind(key, 0) == 0) {
            errno = error;
            return false;
        }
    }
    return true;
}

int RecordingKernelCalls::Open(const char* path, int flags) {
    const Names names = {{O_RDWR, "O_RDWR"},
                         {O_NOCTTY, "O_NOCTTY"},
                         {O_NONBLOCK, "O_NONBLOCK"},
                         {O_CLOEXEC, "O_CLOEXEC"}};
    return Pass("open " + BitNames(static_cast<unsigned>(flags), names)) ? kernel_.Open(path, flags)
                                                                         : -1;
}

int RecordingKernelCalls::Ioctl(int fd, unsigned long request, void* argument) {
    return Pass("ioctl " + RequestText(request, argument)) ? kernel_.Ioctl(fd, request, argument)
                                                           : -1;
}

int RecordingKernelCalls::TcGetAttr(int fd, termios* settings) {
    return Pass("tcgetattr") ? kernel_.TcGetAttr(fd, settings) : -1;
}

int RecordingKernelCalls::TcSetAttr(int fd, int action, const termios* settings) {
    const std::string when = action == TCSANOW ? "TCSANOW " : "other ";
    return Pass("tcsetattr " + when + DescribeTermios(*settings))
               ? kernel_.TcSetAttr(fd, action, settings)
               : -1;
}

int RecordingKernelCalls::TcFlush(int fd, int queue) {
    return Pass(queue == TCIFLUSH ? "tcflush TCIFLUSH" : "tcflush other")
               ? kernel_.TcFlush(fd, queue)
               : -1;
}

ssize_t RecordingKernelCalls::Read(int fd, void* buffer, size_t count) {
    return Pass("read " + std::to_string(count)) ? kernel_.Read(fd, buffer, count) : -1;
}

ssize_t RecordingKernelCalls::Write(int fd, const void* buffer, size_t count) {
    return Pass("write" + Hex(buffer, count)) ? kernel_.Write(fd, buffer, count) : -1;
}

int RecordingKernelCalls::Poll(pollfd* request, nfds_t count, int timeoutMs) {
    return kernel_.Poll(request, count, timeoutMs);  // how often it runs depends on timing
}

int RecordingKernelCalls::Flock(int fd, int operation) {
    const Names names = {{LOCK_EX, "LOCK_EX"}, {LOCK_NB, "LOCK_NB"}, {LOCK_UN, "LOCK_UN"}};
    return Pass("flock " + BitNames(static_cast<unsigned>(operation), names))
               ? kernel_.Flock(fd, operation)
               : -1;
}

int RecordingKernelCalls::Close(int fd) {
    return Pass("close") ? kernel_.Close(fd) : -1;
}

}  // namespace pelta::link::testing

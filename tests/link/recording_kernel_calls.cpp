#include "recording_kernel_calls.h"

#include <sys/ioctl.h>

#include <cerrno>
#include <cstdio>

#include "link/standard_speeds.h"

namespace pelta::link::testing {
namespace {

std::string SpeedText(speed_t constant) {
    for (const auto& speed : StandardSpeeds) {
        if (speed.Constant == constant) {
            return std::to_string(speed.BitsPerSecond);
        }
    }
    return "other";
}

std::string Describe(tcflag_t cflag, tcflag_t iflag, tcflag_t oflag, tcflag_t lflag, cc_t vmin,
                     cc_t vtime, const std::string& speed) {
    return "tcsetattr cflag=" + std::to_string(cflag) + " iflag=" + std::to_string(iflag) +
           " oflag=" + std::to_string(oflag) + " lflag=" + std::to_string(lflag) +
           " VMIN=" + std::to_string(vmin) + " VTIME=" + std::to_string(vtime) + " speed=" + speed;
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

}  // namespace

std::string Applied(tcflag_t cflag, std::int32_t speed) {
    return Describe(cflag, 0, 0, 0, 1, 0, std::to_string(speed));
}

std::string Applied(const termios& s) {
    return Describe(s.c_cflag & ~(CBAUD | CBAUDEX | CIBAUD), s.c_iflag, s.c_oflag, s.c_lflag,
                    s.c_cc[VMIN], s.c_cc[VTIME], SpeedText(::cfgetospeed(&s)));
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
    return Pass("open " + std::to_string(flags)) ? kernel_.Open(path, flags) : -1;
}

int RecordingKernelCalls::Ioctl(int fd, unsigned long request, void* argument) {
    const std::string name = request == TIOCEXCL ? "TIOCEXCL"
                             : request == TIOCMBIC
                                 ? "TIOCMBIC " + std::to_string(*static_cast<const int*>(argument))
                                 : std::to_string(request);
    return Pass("ioctl " + name) ? kernel_.Ioctl(fd, request, argument) : -1;
}

int RecordingKernelCalls::TcGetAttr(int fd, termios* settings) {
    return Pass("tcgetattr") ? kernel_.TcGetAttr(fd, settings) : -1;
}

int RecordingKernelCalls::TcSetAttr(int fd, int action, const termios* settings) {
    const std::string call = Applied(*settings);
    return Pass(action == TCSANOW ? call : call + " later")
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
    return Pass("flock " + std::to_string(operation)) ? kernel_.Flock(fd, operation) : -1;
}

int RecordingKernelCalls::Close(int fd) {
    return Pass("close") ? kernel_.Close(fd) : -1;
}

}  // namespace pelta::link::testing

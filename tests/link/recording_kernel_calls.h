#pragma once
// A kernel seam for tests: every call the termios port makes but poll and read is logged in order
// with what matters of its arguments, then passed to the real kernel (so it runs on a real pty),
// unless a failure was planted for it. Flags are logged as numbers; tests spell the expected
// ones with the kernel's own constants (see Applied).
//
//   "open 526338"   "ioctl TIOCMBIC 6"   "tcsetattr cflag=2224 iflag=0 ... speed=13"
//   "tcflush TCIFLUSH"   "write 01 32 BE"   "close"

#include <sys/ioctl.h>

#include <cerrno>
#include <map>
#include <string>
#include <vector>

#include "link/kernel_calls.h"
#include "tests/support/memory_port_api.h"

namespace pelta::link::testing {

// How a tcsetattr is logged: the flags, VMIN, VTIME and the speed constant.
inline std::string Applied(const termios& s) {
    return "tcsetattr cflag=" + std::to_string(s.c_cflag & ~(CBAUD | CBAUDEX | CIBAUD)) +
           " iflag=" + std::to_string(s.c_iflag) + " oflag=" + std::to_string(s.c_oflag) +
           " lflag=" + std::to_string(s.c_lflag) + " VMIN=" + std::to_string(s.c_cc[VMIN]) +
           " VTIME=" + std::to_string(s.c_cc[VTIME]) +
           " speed=" + std::to_string(::cfgetospeed(&s));
}
// How a tcsetattr of a raw line with the given control flags and speed constant is logged.
inline std::string Applied(tcflag_t cflag, speed_t speed) {
    termios raw{};
    raw.c_cflag = cflag;
    raw.c_cc[VMIN] = 1;
    ::cfsetospeed(&raw, speed);
    return Applied(raw);
}

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
        return Pass(queue == TCIFLUSH ? "tcflush TCIFLUSH" : "tcflush other")
                   ? kernel_.TcFlush(fd, queue)
                   : -1;
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

}  // namespace pelta::link::testing

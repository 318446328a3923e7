#pragma once
// A kernel seam for tests: every call the termios port makes but poll is logged in order with
// what matters of its arguments, then passed to the real kernel (so it runs on a real pty),
// unless a failure was planted for it. Flags are logged as numbers; tests spell the expected
// ones with the kernel's own constants (see Applied).
//
//   "open 526338"   "ioctl TIOCMBIC 6"   "tcsetattr cflag=2224 iflag=0 ... speed=9600"
//   "tcflush TCIFLUSH"   "write 01 32 BE"   "read 22"   "close"

#include <map>
#include <string>
#include <vector>

#include "link/kernel_calls.h"

namespace pelta::link::testing {

// How a tcsetattr of a raw line with the given control flags and speed is logged.
std::string Applied(tcflag_t cflag, std::int32_t speed);
// How a tcsetattr of any settings is logged.
std::string Applied(const termios& settings);

class RecordingKernelCalls final : public KernelCalls {
  public:
    std::vector<std::string> Calls;
    // A call whose log line starts with a key fails with that errno, without reaching the kernel.
    std::map<std::string, int> Failures;

    int Open(const char* path, int flags) override;
    int Ioctl(int fd, unsigned long request, void* argument) override;
    int TcGetAttr(int fd, termios* settings) override;
    int TcSetAttr(int fd, int action, const termios* settings) override;
    int TcFlush(int fd, int queue) override;
    ssize_t Read(int fd, void* buffer, size_t count) override;
    ssize_t Write(int fd, const void* buffer, size_t count) override;
    int Poll(pollfd* request, nfds_t count, int timeoutMs) override;
    int Flock(int fd, int operation) override;
    int Close(int fd) override;

  private:
    // Logs the call; false when a planted failure answers it instead of the kernel.
    bool Pass(const std::string& call);

    KernelCalls& kernel_ = SystemKernel();
};

}  // namespace pelta::link::testing

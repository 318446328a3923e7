#pragma once
// The kernel calls the termios port makes, behind one small interface, so that what it asks of
// the kernel (flags, modem lines, flush order) can be recorded in tests; a pseudo-terminal cannot
// show most of it. The system implementation forwards each call as it is; errors come back as
// -1 with errno set, exactly as from the C library.

#include <poll.h>
#include <sys/types.h>
#include <termios.h>

namespace pelta::link {

class KernelCalls {
  public:
    virtual ~KernelCalls() = default;
    virtual int Open(const char* path, int flags) = 0;
    // Requests that take no argument get a null argument.
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
    virtual int TcGetAttr(int fd, termios* settings) = 0;
    virtual int TcSetAttr(int fd, int action, const termios* settings) = 0;
    virtual int TcFlush(int fd, int queue) = 0;
    virtual ssize_t Read(int fd, void* buffer, size_t count) = 0;
    virtual ssize_t Write(int fd, const void* buffer, size_t count) = 0;
    virtual int Poll(pollfd* request, nfds_t count, int timeoutMs) = 0;
    virtual int Flock(int fd, int operation) = 0;
    virtual int Close(int fd) = 0;
};

class SystemKernelCalls final : public KernelCalls {
  public:
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
};

// The one instance the program uses.
KernelCalls& SystemKernel();

}  // namespace pelta::link

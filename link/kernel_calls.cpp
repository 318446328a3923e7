#include "link/kernel_calls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace pelta::link {

int SystemKernelCalls::Open(const char* path, int flags) {
    return ::open(path, flags);
}
int SystemKernelCalls::Ioctl(int fd, unsigned long request, void* argument) {
    return ::ioctl(fd, request, argument);
}
int SystemKernelCalls::TcGetAttr(int fd, termios* settings) {
    return ::tcgetattr(fd, settings);
}
int SystemKernelCalls::TcSetAttr(int fd, int action, const termios* settings) {
    return ::tcsetattr(fd, action, settings);
}
int SystemKernelCalls::TcFlush(int fd, int queue) {
    return ::tcflush(fd, queue);
}
ssize_t SystemKernelCalls::Read(int fd, void* buffer, size_t count) {
    return ::read(fd, buffer, count);
}
ssize_t SystemKernelCalls::Write(int fd, const void* buffer, size_t count) {
    return ::write(fd, buffer, count);
}
int SystemKernelCalls::Poll(pollfd* request, nfds_t count, int timeoutMs) {
    return ::poll(request, count, timeoutMs);
}
int SystemKernelCalls::Flock(int fd, int operation) {
    return ::flock(fd, operation);
}
int SystemKernelCalls::Close(int fd) {
    return ::close(fd);
}

KernelCalls& SystemKernel() {
    static SystemKernelCalls kernel;
    return kernel;
}

}  // namespace pelta::link

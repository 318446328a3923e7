#include "link/exact_speed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cerrno>

// <sys/ioctl.h> would drag in glibc's termios definitions, which clash with the kernel's.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace pelta::link {

int SetExactSpeed(int fd, std::uint32_t bitsPerSecond, const IoctlCall& ioctlCall) {
    termios2 settings{};
    if (ioctlCall(fd, TCGETS2, &settings) != 0) {
        return errno;
    }
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = bitsPerSecond;
    settings.c_ospeed = bitsPerSecond;
    int result = 0;
    do {
        result = ioctlCall(fd, TCSETS2, &settings);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

std::uint32_t ReadExactSpeed(int fd) {
    termios2 settings{};
    return ioctl(fd, TCGETS2, &settings) == 0 ? settings.c_ospeed : 0;
}

bool NamesExactSpeed(std::uint32_t cflag) {
    return (cflag & CBAUD) == BOTHER;
}

unsigned long GetExactSpeedRequest() {
    return TCGETS2;
}

unsigned long SetExactSpeedRequest() {
    return TCSETS2;
}

}  // namespace pelta::link

#pragma once
// Line speeds without a B-constant (14400 is one the operator can choose) go through the
// kernel's BOTHER interface. Kept in its own file: its kernel header clashes with <termios.h>.

#include <cstdint>
#include <functional>

namespace pelta::link {

// The ioctl call to make: the port passes its kernel seam, so the calls can be recorded.
using IoctlCall = std::function<int(int fd, unsigned long request, void* argument)>;

// Sets input and output speed to exactly this many bits per second; 0 or an errno value.
int SetExactSpeed(int fd, std::uint32_t bitsPerSecond, const IoctlCall& ioctlCall);

// The output speed the kernel holds for the descriptor, in bits per second; 0 on failure.
std::uint32_t ReadExactSpeed(int fd);

// True when the control flags name their speed through BOTHER, so that only the speed kept
// beside them (ReadExactSpeed) says what it is.
bool NamesExactSpeed(std::uint32_t cflag);

// The two requests used above (TCGETS2, TCSETS2), so that a log can name them.
unsigned long GetExactSpeedRequest();
unsigned long SetExactSpeedRequest();

}  // namespace pelta::link

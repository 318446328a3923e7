#pragma once
// Line speeds without a B-constant (14400 is one the operator can choose) go through the
// kernel's BOTHER interface. Kept in its own file: its kernel header clashes with <termios.h>.

#include <cstdint>

namespace pelta::link {

// Sets input and output speed to exactly this many bits per second; 0 or an errno value.
int SetExactSpeed(int fd, std::uint32_t bitsPerSecond);

// The output speed the kernel holds for the descriptor, in bits per second; 0 on failure.
std::uint32_t ReadExactSpeed(int fd);

}  // namespace pelta::link

#pragma once
// Which line parameters a serial port accepts. Shared by the termios and the in-memory port so
// that both refuse the same Dcb. Standard library only.

#include <cstdint>

#include "link/port_api.h"

namespace pelta::link {

// True for the speeds the kernel has a B-constant for (50 ... 4000000).
bool IsStandardSpeed(std::uint32_t bitsPerSecond);

// True for any speed from 50 to 4000000: those without a B-constant are set exactly.
bool IsSupportedSpeed(std::uint32_t bitsPerSecond);

// 0 when the port can run these parameters, otherwise the errno to refuse them with (EINVAL):
// a speed outside 50-4000000, data bits outside 5-8, parity code above 4, stop-bits code above 2,
// or 1.5 stop bits with more than 5 data bits.
int CheckLineParameters(const Dcb& dcb);

}  // namespace pelta::link

#pragma once
// Header values from the operating system's random source, so that two calls in one clock
// tick still differ.

#include <cstdint>

namespace pelta::cipher {

// A value from 0 to 2147483647. Throws std::system_error when no random source is available.
std::uint32_t RandomHeaderValue();

}  // namespace pelta::cipher

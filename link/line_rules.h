#pragma once
// The rules every front checks its numbers against: the ranges of the controller address, the
// attempts, the reply time-out and the COM numbers, the one parser of whole numbers, and which
// line parameters a serial port accepts (the termios and the in-memory port refuse the same
// Dcb). Standard library only: the simulator checks its options by the same rules.

#include <cstdint>
#include <optional>
#include <string_view>

#include "link/port_api.h"

namespace pelta::link {

struct WholeRange {
    int Lowest = 0;
    int Highest = 0;

    constexpr bool Holds(long long number) const { return number >= Lowest && number <= Highest; }
};

inline constexpr WholeRange ControllerAddresses{0, 255};
// Tries per command when a reply is missing or fails its CRC.
inline constexpr WholeRange AttemptCounts{1, 10};
// Milliseconds; beyond a minute a silent controller is not worth waiting for.
inline constexpr WholeRange ReplyTimeoutsMs{1, 60000};
// n of "COM<n>": the port list offers, the command lines accept and the remembered files keep
// the same numbers, so a port that can be chosen can also be remembered.
inline constexpr WholeRange ComNumbers{1, 32767};

// A decimal whole number in the range, written with digits and an optional minus sign, blanks
// around it allowed; nothing for anything else ("", "2.5", "+3", "3 4", "0x10", "1e3").
std::optional<int> WholeNumberIn(std::string_view text, WholeRange range);

// True for the speeds the kernel has a B-constant for (50 ... 4000000).
bool IsStandardSpeed(std::uint32_t bitsPerSecond);

// True for any speed from 50 to 4000000: those without a B-constant are set exactly.
bool IsSupportedSpeed(std::uint32_t bitsPerSecond);

// 0 when the port can run these parameters, otherwise the errno to refuse them with (EINVAL):
// a speed outside 50-4000000, data bits outside 5-8, parity code above 4, stop-bits code above 2,
// or 1.5 stop bits with more than 5 data bits.
int CheckLineParameters(const Dcb& dcb);

}  // namespace pelta::link

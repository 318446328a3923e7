#pragma once
// The Win32 time-out rules as deadlines on a monotonic clock, for ports that wait with poll().

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>

namespace pelta::link {

using PortClock = std::chrono::steady_clock;

// Start plus multiplier times count plus constant; none when both are 0 (no total limit).
inline std::optional<PortClock::time_point> TotalDeadline(PortClock::time_point start,
                                                          std::uint32_t multiplier,
                                                          std::uint32_t constant,
                                                          std::uint32_t count) {
    if (multiplier == 0 && constant == 0) {
        return std::nullopt;
    }
    const auto total = static_cast<std::uint64_t>(multiplier) * count + constant;
    return start + std::chrono::milliseconds(total);
}

// Milliseconds poll() may wait: -1 for no limit, 0 when the deadline has passed.
inline int PollTimeout(std::optional<PortClock::time_point> deadline) {
    if (!deadline) {
        return -1;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*deadline - PortClock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, std::numeric_limits<int>::max()));
}

inline std::optional<PortClock::time_point> Earlier(std::optional<PortClock::time_point> a,
                                                    std::optional<PortClock::time_point> b) {
    if (!a || !b) {
        return a ? a : b;
    }
    return std::min(*a, *b);
}

}  // namespace pelta::link

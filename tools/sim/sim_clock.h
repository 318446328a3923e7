#pragma once
// The controller's running clock: the computer's local time plus an offset that SetClock
// moves. Keeping an offset instead of a stored time lets the clock run without a timer.

#include <cstdint>
#include <ctime>
#include <functional>

namespace pelta::sim {

// Seconds since the epoch; replaceable so tests can pin the time.
using TimeSource = std::function<std::time_t()>;

std::time_t SystemTime();

// A calendar moment as the controller's frames carry it: plain byte values, two-digit year.
struct ClockFields {
    int day = 1;
    int month = 1;
    int year2 = 0;  // 0-29 mean 2000-2029, 30-99 mean 1930-1999
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// True when the fields name a real date and time of day.
bool IsValidClock(const ClockFields& fields);

class SimClock {
  public:
    explicit SimClock(TimeSource source = SystemTime);

    ClockFields Now() const;

    // Moves the clock to the given local moment; returns false (clock unchanged) when the
    // fields do not name a real moment.
    bool Set(const ClockFields& fields);

  private:
    TimeSource source_;
    std::time_t offset_ = 0;
};

}  // namespace pelta::sim

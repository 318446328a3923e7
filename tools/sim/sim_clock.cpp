#include "tools/sim/sim_clock.h"

#include <utility>

namespace pelta::sim {

namespace {

int FullYear(int year2) {
    return year2 < 30 ? 2000 + year2 : 1900 + year2;
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::time_t SystemTime() {
    return std::time(nullptr);
}

bool IsValidClock(const ClockFields& f) {
    if (f.year2 < 0 || f.year2 > 99 || f.month < 1 || f.month > 12 || f.day < 1) {
        return false;
    }
    if (f.day > DaysInMonth(FullYear(f.year2), f.month)) {
        return false;
    }
    return f.hour >= 0 && f.hour <= 23 && f.minute >= 0 && f.minute <= 59 && f.second >= 0 &&
           f.second <= 59;
}

SimClock::SimClock(TimeSource source) : source_(std::move(source)) {}

ClockFields SimClock::Now() const {
    const std::time_t now = source_() + offset_;
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_mday, local.tm_mon + 1, local.tm_year % 100,
            local.tm_hour, local.tm_min,     local.tm_sec};
}

bool SimClock::Set(const ClockFields& f) {
    if (!IsValidClock(f)) {
        return false;
    }
    std::tm local{};
    local.tm_mday = f.day;
    local.tm_mon = f.month - 1;
    local.tm_year = FullYear(f.year2) - 1900;
    local.tm_hour = f.hour;
    local.tm_min = f.minute;
    local.tm_sec = f.second;
    local.tm_isdst = -1;  // let the zone rules decide, as the computer's own clock does
    const std::time_t target = std::mktime(&local);
    if (target == static_cast<std::time_t>(-1)) {
        return false;
    }
    offset_ = target - source_();
    return true;
}

}  // namespace pelta::sim

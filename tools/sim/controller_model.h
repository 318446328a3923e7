#pragma once
// What the simulated controller knows and how it answers one complete request: a running
// clock, fixed climate readings, the settings store and the stored event.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/frame.h"
#include "tools/sim/request_table.h"
#include "tools/sim/sim_clock.h"

namespace pelta::sim {

struct ClimateValues {
    double indoorCelsius = 21.5;
    double outdoorCelsius = -3.0;
    int humidityPercent = 45;
    double pressureMm = 750.50;
};

// Byte values exactly as the settings reply carries them; 255 marks "off" for the alarms and
// "on" for the lunar scroll.
struct AlarmSetting {
    std::uint8_t onOff = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t daySet = 10;
};

struct SettingsStore {
    AlarmSetting alarm1{0, 7, 30, 8};
    AlarmSetting alarm2{255, 9, 10, 9};
    std::uint8_t screenMode = 3;
    std::uint8_t screenFirstHour = 22;
    std::uint8_t screenSource = 0;  // 255 light sensor, anything else schedule
    std::uint8_t screenFirstMinute = 15;
    std::uint8_t screenSecondHour = 7;
    std::uint8_t screenSecondMinute = 45;
    std::uint8_t lunarScroll = 255;
    std::uint8_t nightLightMode = 1;
    std::uint8_t nightFirstHour = 22;
    std::uint8_t nightFirstMinute = 5;
    std::uint8_t nightSecondHour = 6;
    std::uint8_t nightSecondMinute = 50;
};

// The values SetClock carries besides the moment itself; the replies never show them.
struct ClockExtras {
    std::uint8_t correction = 0;
    std::uint8_t seasonFlag = 255;
    std::uint8_t weekday = 1;
};

inline constexpr std::size_t kEventLineLength = 20;

struct EventStore {
    std::uint8_t mode = 255;
    std::uint8_t month = 1;
    std::uint8_t day = 1;
    std::uint8_t hour = 0;
    std::string line1 = std::string(kEventLineLength, ' ');
    std::string line2 = std::string(kEventLineLength, ' ');
};

inline constexpr std::size_t kStateReplyLength = 22;
inline constexpr std::size_t kSettingsReplyLength = 25;
inline constexpr std::size_t kWriteReplyLength = 3;

class ControllerModel {
  public:
    ControllerModel(std::uint8_t address, ClimateValues climate, TimeSource time = SystemTime);

    // The reply to a complete request, or nothing when the controller stays silent: another
    // address, an unknown command or a wrong length.
    std::optional<protocol::Frame> Handle(std::string_view request);

    std::uint8_t Address() const { return address_; }
    const SettingsStore& Settings() const { return settings_; }
    const EventStore& Event() const { return event_; }
    const ClockExtras& Extras() const { return extras_; }
    ClockFields ClockNow() const { return clock_.Now(); }

  private:
    protocol::Frame StateReply(std::string_view header) const;
    protocol::Frame SettingsReply(std::string_view header) const;
    void Apply(Request request, std::string_view data);
    void ApplyClock(std::string_view data);
    static void ApplyAlarm(AlarmSetting& alarm, std::string_view data);
    void ApplyEvent(std::string_view data);

    std::uint8_t address_;
    ClimateValues climate_;
    SimClock clock_;
    SettingsStore settings_;
    ClockExtras extras_;
    EventStore event_;
};

// Raw reading of a temperature: tenths of a degree above -10 C.
std::uint16_t TemperatureRaw(double celsius);
// Pressure in hundredths of a millimetre of mercury.
std::uint32_t PressureRaw(double millimetres);

}  // namespace pelta::sim

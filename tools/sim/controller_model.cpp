#include "tools/sim/controller_model.h"

#include <cmath>
#include <utility>

namespace pelta::sim {

namespace {

void AppendLittleEndian(protocol::Frame& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFU));
    }
}

void AppendBytes(protocol::Frame& out, std::initializer_list<std::uint8_t> bytes) {
    for (const std::uint8_t b : bytes) {
        out.push_back(static_cast<char>(b));
    }
}

}  // namespace

std::uint16_t TemperatureRaw(double celsius) {
    return static_cast<std::uint16_t>(std::lround(celsius * 10.0) + 100);
}

std::uint32_t PressureRaw(double millimetres) {
    return static_cast<std::uint32_t>(std::llround(millimetres * 100.0));
}

ControllerModel::ControllerModel(std::uint8_t address, ClimateValues climate, TimeSource time)
    : address_(address), climate_(climate), clock_(std::move(time)) {}

std::optional<protocol::Frame> ControllerModel::Handle(std::string_view request) {
    const Classified c = Classify(request, address_);
    if (c.verdict != Verdict::Answer) {
        return std::nullopt;
    }
    const std::string_view header = request.substr(0, kHeaderLength);
    switch (c.kind->request) {
        case Request::ReadState:
            return StateReply(header);
        case Request::ReadSettings:
            return SettingsReply(header);
        default:
            Apply(c.kind->request, request.substr(kHeaderLength));
            // A write is acknowledged by echoing its command byte.
            return protocol::WithCrc(request.substr(2, 1));
    }
}

protocol::Frame ControllerModel::StateReply(std::string_view header) const {
    protocol::Frame body(header);
    const ClockFields now = clock_.Now();
    AppendBytes(body,
                {static_cast<std::uint8_t>(now.day), static_cast<std::uint8_t>(now.month),
                 static_cast<std::uint8_t>(now.year2), static_cast<std::uint8_t>(now.hour),
                 static_cast<std::uint8_t>(now.minute), static_cast<std::uint8_t>(now.second)});
    AppendLittleEndian(body, TemperatureRaw(climate_.indoorCelsius), 2);
    AppendLittleEndian(body, TemperatureRaw(climate_.outdoorCelsius), 2);
    AppendBytes(body, {static_cast<std::uint8_t>(climate_.humidityPercent)});
    AppendLittleEndian(body, PressureRaw(climate_.pressureMm), 4);
    AppendBytes(body, {0, 0});
    return protocol::WithCrc(body);
}

protocol::Frame ControllerModel::SettingsReply(std::string_view header) const {
    const SettingsStore& s = settings_;
    protocol::Frame body(header);
    AppendBytes(body,
                {s.alarm1.hour,      s.alarm1.minute,      s.alarm1.daySet,   s.alarm1.onOff,
                 s.alarm2.onOff,     s.alarm2.hour,        s.alarm2.minute,   s.alarm2.daySet,
                 s.screenMode,       s.screenFirstHour,    s.screenSource,    s.screenFirstMinute,
                 s.screenSecondHour, s.screenSecondMinute, s.lunarScroll,     s.nightLightMode,
                 s.nightFirstHour,   s.nightFirstMinute,   s.nightSecondHour, s.nightSecondMinute});
    return protocol::WithCrc(body);
}

void ControllerModel::Apply(Request request, std::string_view data) {
    switch (request) {
        case Request::SetClock:
            ApplyClock(data);
            break;
        case Request::WriteAlarm1:
            ApplyAlarm(settings_.alarm1, data);
            break;
        case Request::WriteAlarm2:
            ApplyAlarm(settings_.alarm2, data);
            break;
        case Request::WriteEvent:
            ApplyEvent(data);
            break;
        case Request::WriteEventLine2:
            event_.line2 = std::string(data.substr(0, kEventLineLength));
            break;
        default:
            break;
    }
}

void ControllerModel::ApplyClock(std::string_view data) {
    const ClockFields fields{ByteAt(data, 0), ByteAt(data, 1), ByteAt(data, 2),
                             ByteAt(data, 3), ByteAt(data, 4), ByteAt(data, 5)};
    // A moment that does not exist leaves the clock running as it was.
    clock_.Set(fields);
    extras_ = {ByteAt(data, 6), ByteAt(data, 7), ByteAt(data, 8)};
}

void ControllerModel::ApplyAlarm(AlarmSetting& alarm, std::string_view data) {
    // Writes carry 0 for on and 255 for off; the store keeps the byte, which the settings
    // reply reads the same way (255 off, anything else on).
    alarm = {ByteAt(data, 0), ByteAt(data, 1), ByteAt(data, 2), ByteAt(data, 3)};
}

void ControllerModel::ApplyEvent(std::string_view data) {
    event_.mode = ByteAt(data, 0);
    event_.month = ByteAt(data, 1);
    event_.day = ByteAt(data, 2);
    event_.hour = ByteAt(data, 3);
    event_.line1 = std::string(data.substr(4, kEventLineLength));
}

}  // namespace pelta::sim

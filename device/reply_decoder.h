#pragma once
// Gives meaning to the controller's replies: the state read fills the measurements page, the
// settings read fills the settings page. Positions are 1-based over the whole reply.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <string_view>

#include "device/controller_state.h"
#include "device/measurements_view.h"
#include "device/settings_view.h"
#include "link/message_sink.h"
#include "protocol/frame.h"
#include "protocol/reply_sink.h"

namespace pelta::device {

// Little-endian bytes (one to four) to an unsigned number. Throws RunTimeError when empty or
// longer than four bytes.
std::uint32_t ReplyNumber(std::string_view bytes);

// Day, month, two-digit year, hour, minute, second as plain byte values. Years 0-29 are
// 2000-2029, 30-99 are 1930-1999; a day or month beyond its range rolls over (day 0 is the last
// day of the month before). Throws RunTimeError for fewer than six bytes or an invalid time.
QDateTime ReplyDateTime(std::string_view bytes);

// "Уход часов: + h ч. mm мин. ss сек" (or "- ..."), hours without a limit.
QString ClockDriftText(std::int64_t seconds);

// A number in its shortest decimal form with the locale's decimal separator: 21, 20,5.
QString ShortestDecimal(double value);
QString ShortestDecimal(float value);

class ControllerReplyDecoder final : public protocol::ReplySink {
  public:
    // The computer's time the clock drift is taken against: in the program the moment the
    // reply came off the line (PollCycle::ReplyMoment), not when it is decoded.
    using NowSource = std::function<QDateTime()>;

    ControllerReplyDecoder(ControllerState& state, MeasurementsView& measurements,
                           SettingsView& settings, link::MessageSink& messages,
                           NowSource now = &QDateTime::currentDateTime);

    // Command 1 shows the measurements, 5 the settings (unless the reply is empty); every other
    // number does nothing.
    void ReplyDecoder(std::int16_t command, const protocol::Frame& reply) override;

    // Any failure ends it silently; labels are written only after the clock and both
    // temperatures were decoded.
    void ShowMeasurements(const protocol::Frame& reply);

    // A failure ends decoding at that field and shows a warning box; fields set before it keep
    // their new values.
    void ShowSettings(const protocol::Frame& reply);

  private:
    void DecodeMeasurements(const protocol::Frame& reply);
    void DecodeSettings(const protocol::Frame& reply);

    ControllerState& state_;
    MeasurementsView& measurements_;
    SettingsView& settings_;
    link::MessageSink& messages_;
    NowSource now_;
};

}  // namespace pelta::device

#pragma once
// Command numbers, the request each one sends and the reply length each one expects.
// The command number is the shared key of the request builder, the reply-length table and the
// reply decoder.

#include <QString>
#include <array>
#include <cstdint>
#include <string>

#include "protocol/frame.h"

namespace pelta::protocol {

namespace Command {
inline constexpr std::int16_t ReadState = 1;
inline constexpr std::int16_t WriteEvent = 2;
inline constexpr std::int16_t WriteEventLine2 = 3;
inline constexpr std::int16_t SetClock = 4;
inline constexpr std::int16_t ReadSettings = 5;
inline constexpr std::int16_t WriteAlarm1 = 6;
inline constexpr std::int16_t WriteAlarm2 = 7;
inline constexpr std::int16_t Last = 14;  // numbers 8-14 send nothing
}  // namespace Command

// The values to be sent, staged by the settings commands just before they start an exchange.
// The device layer fills this record (its controller state derives from it).
//
// The clock keeps its own season flag and weekday (ClockOnOffCode, ClockDayCode): were they
// shared with the alarm's codes, resending the clock after an alarm would send the alarm's
// on/off and day set in their places.
struct StagedRequest {
    std::int16_t EventMode = 0;  // 0 on, 255 off
    QString EventDate;           // "dd.mm.yy"
    QString EventTime;           // "hh:mm" or "hh:mm:ss"
    std::string EventLine1;      // 20 bytes in the display's character codes
    std::string EventLine2;      // likewise
    QString ClockDate;           // "dd.mm.yy"
    QString ClockTime;           // "hh:mm:ss"
    std::int16_t ClockCorrection = 0;
    QString ClockOnOffCode;  // season change: "0" on, "255" off
    QString ClockDayCode;    // weekday 1 (Sunday) to 7
    QString OnOffCode;       // alarm being written: "0" on, "255" off
    QString DayCode;         // alarm day set 1 to 10
    QString AlarmHour;
    QString AlarmMinute;
};

// The request for a command number: address, function, command and data bytes, no CRC.
// Numbers without a request (8-14 and anything outside 1-14) give an empty frame.
// Throws RunTimeError when a value cannot become one byte (outside 0-255, or a date or time
// text that cannot be read).
Frame BuildRequest(std::int16_t command, std::int32_t controllerAddress,
                   const StagedRequest& staged);

// `ExpectedReplyLength`: how many bytes to read as the reply, by command number 1-14.
class ReplyLengthTable {
  public:
    // Sets entries 1-8 (22, 3, 3, 3, 25, 3, 3, 3); 9-14 stay 0. Done once at start-up.
    void Fill();
    // 0 for an entry never filled and for numbers outside 1-14.
    std::int16_t operator()(std::int16_t command) const;

  private:
    std::array<std::int16_t, Command::Last> lengths_{};
};

}  // namespace pelta::protocol

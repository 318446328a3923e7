#pragma once
// The traffic monitor: every frame in hexadecimal in `TextBox1`, packet statistics in `Label1`
// and the link state in percent in `Label2(0)`. It only shows and counts; it never changes a
// frame and never stops an exchange.

#include <QString>
#include <QTime>
#include <cstdint>
#include <functional>

#include "protocol/event_waiter.h"
#include "protocol/frame.h"
#include "protocol/monitor_view.h"

namespace pelta::protocol {

// `LinkStatistics`: replies counted since the window opened (or since the last clearing).
struct LinkCounters {
    std::int32_t Frames = 0;     // every reply shown
    std::int32_t BadFrames = 0;  // non-empty replies whose CRC check failed
    std::int32_t NoAnswer = 0;   // empty replies
};

enum class Direction { Tx, Rx };

// Bytes as two uppercase hex digits and a space each: 01 32 BE -> "01 32 BE ".
QString HexLine(const Frame& frame);
// "<time of day>: <length>\t:Tx >-- " (or ":Rx <-- "), the time in the locale's format.
QString FrameHeader(const QTime& timeOfDay, int frameLength, Direction direction);
// The `Label1` text.
QString PacketStatisticsText(int monitorLength, int frameLength, const LinkCounters& counters);
// x * 100 / total as "000.00" with the locale's decimal separator.
QString Percent(std::int32_t part, std::int32_t total);
// The `Label2(0)` text.
QString LinkStateText(const LinkCounters& counters);

class TrafficMonitor {
  public:
    // The monitor text is emptied once it grows past this many characters.
    static constexpr int kMaxTextLength = 65000;

    using TimeOfDaySource = std::function<QTime()>;

    TrafficMonitor(MonitorView& view, EventWaiter& events,
                   TimeOfDaySource timeOfDay = &QTime::currentTime);

    // Shows a request just before it is written.
    void shwTxHex(const Frame& commands);
    // Shows and counts a reply just after it is read. `crc_8` is not used.
    void shwRxHex(const Frame& commands, int crc_8 = 0);

    const LinkCounters& LinkStatistics() const { return counters_; }

  private:
    void AppendFrame(const Frame& frame, Direction direction);
    void Count(const Frame& reply);

    MonitorView& view_;
    EventWaiter& events_;
    TimeOfDaySource timeOfDay_;
    LinkCounters counters_;
};

}  // namespace pelta::protocol

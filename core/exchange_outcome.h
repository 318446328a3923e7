#pragma once
// What one operator action did on the line, as a value: whether the controller answered, the
// replies as read, and the messages the operator was shown on the way.

#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "device/measurements_view.h"
#include "protocol/frame.h"

namespace pelta::core {

enum class ExchangeResult {
    Answered,  // every reply came whole with a good CRC
    Missing,   // a reply did not come (or came short of any byte)
    BadCrc,    // a reply came but failed its CRC
    Refused,   // a message stopped or marred the action (no port, open failure, bad field)
};

struct ExchangeOutcome {
    ExchangeResult Result = ExchangeResult::Answered;
    QStringList Messages;  // every message box shown, in order
    // Each command's reply as the decoder got it (the last try's).
    std::vector<std::pair<std::int16_t, protocol::Frame>> Replies;

    bool Ok() const { return Result == ExchangeResult::Answered; }
    // The last reply, or an empty frame when none was read.
    protocol::Frame LastReply() const;
};

// Judges the replies and messages of an action: a message shown outweighs the replies.
ExchangeResult Judge(const QStringList& messages,
                     const std::vector<std::pair<std::int16_t, protocol::Frame>>& replies);

// A read of the clock and measurements: the outcome, and the numbers when the reply was decoded.
struct ReadOutcome {
    ExchangeOutcome Exchange;
    std::optional<device::Readings> Values;
};

}  // namespace pelta::core

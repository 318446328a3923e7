#include "tools/ctl/actions.h"

#include "device/field_dates.h"
#include "protocol/poll_cycle.h"

namespace pelta::ctl {
namespace {

constexpr qint64 kHalfSecondMs = 500;

QString Text(const char* reason) {
    return QString::fromUtf8(reason);
}

// What an action did, as this address's report says it: the first problem shown or logged,
// else a missing or damaged reply.
bool Judge(CtlCore& core, const core::ExchangeOutcome& exchange, AddressOutcome& outcome) {
    outcome.Reply = exchange.LastReply();
    for (const auto& [command, reply] : exchange.Replies) {
        if (reply.empty() || !protocol::IsGoodReply(reply)) {
            outcome.Reply = reply;
            outcome.Reason = Text(reply.empty() ? kNoAnswer : kBadCrc);
            break;
        }
    }
    if (!core.reports.Problems.isEmpty()) {
        outcome.Reason = core.reports.Problems.constFirst();
    }
    return outcome.Ok();
}

bool Read(CtlCore& core, AddressOutcome& outcome) {
    core.reports.Problems.clear();
    core.views.Measurements = {};
    const core::ReadOutcome read = core.core.ReadMeasurements();
    const bool answered = Judge(core, read.Exchange, outcome);
    core.views.Measurements.Values = read.Values;
    outcome.Reads.push_back(core.views.Measurements);
    if (answered && !read.Values) {
        outcome.Reason = QStringLiteral("ответ не разобран");
    }
    return outcome.Ok();
}

// Runs an action that writes to the controller and judges it.
template <typename Action>
bool Send(CtlCore& core, AddressOutcome& outcome, Action action) {
    core.reports.Problems.clear();
    return Judge(core, action(core.core), outcome);
}

// The computer's clock as it will stand when the request goes out, after the line has
// settled, to the nearest second: the controller then starts its second in step with ours.
QDateTime MomentToSend(const QString& replyTimeout) {
    const auto settle = static_cast<qint64>(protocol::SettlingWaitMs(replyTimeout));
    QDateTime moment = QDateTime::currentDateTime().addMSecs(settle + kHalfSecondMs);
    return moment.addMSecs(-moment.time().msec());
}

void SyncClock(const ClockOrder& order, CtlCore& core, AddressOutcome& outcome) {
    if (!Read(core, outcome)) {
        return;
    }
    HostControls& c = core.controls;
    outcome.SentClock = MomentToSend(c.ReplyTimeout);
    c.ClockDate = device::DateText(outcome.SentClock.date());
    c.ClockTime = device::TimeText(outcome.SentClock.time());
    c.Weekday = static_cast<std::int16_t>(device::WeekdayIndex(outcome.SentClock.date()));
    c.SeasonChange = order.SeasonChange ? HostControls::kChecked : HostControls::kUnchecked;
    c.Correction = order.Correction;
    if (Send(core, outcome, [](core::ControllerCore& c) { return c.SendClock(); })) {
        Read(core, outcome);
    }
}

std::int16_t CheckValue(bool on) {
    return on ? HostControls::kChecked : HostControls::kUnchecked;
}

void WriteAlarm(const AlarmOrder& order, CtlCore& core, AddressOutcome& outcome) {
    HostControls& c = core.controls;
    c.AlarmOn.at(order.Index) = CheckValue(order.On);
    c.AlarmTime.at(order.Index) = order.Time;
    c.AlarmDays.at(order.Index) = static_cast<std::int16_t>(order.DaySetPosition);
    Send(core, outcome, [&](core::ControllerCore& c) { return c.SendAlarm(order.Index); });
}

void WriteEvent(const EventOrder& order, CtlCore& core, AddressOutcome& outcome) {
    HostControls& c = core.controls;
    c.EventOn = CheckValue(order.On);
    c.EventLines = {order.Line1, order.Line2};
    c.EventDate = order.Date;
    c.EventTime = order.Time;
    Send(core, outcome, [](core::ControllerCore& c) { return c.SendEvent(); });
}

void ReadSettings(CtlCore& core, AddressOutcome& outcome) {
    Send(core, outcome, [](core::ControllerCore& c) { return c.ReadSettings(); });
    outcome.Settings = core.views.Settings;
}

}  // namespace

AddressOutcome RunAtAddress(const CtlOptions& options, CtlCore& core, int address) {
    AddressOutcome outcome;
    outcome.Address = address;
    switch (options.Command) {
        case CommandKind::Read:
        case CommandKind::Scan:
            Read(core, outcome);
            break;
        case CommandKind::Settings:
            ReadSettings(core, outcome);
            break;
        case CommandKind::SyncClock:
            SyncClock(options.Clock, core, outcome);
            break;
        case CommandKind::Alarm:
            WriteAlarm(options.Alarm, core, outcome);
            break;
        case CommandKind::Event:
            WriteEvent(options.Event, core, outcome);
            break;
    }
    return outcome;
}

}  // namespace pelta::ctl

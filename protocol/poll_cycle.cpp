#include "protocol/poll_cycle.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <utility>

#include "link/line_rules.h"
#include "protocol/run_time_error.h"

namespace pelta::protocol {
namespace {

// Beyond a million seconds a wait is no longer a time-out; keeps the conversion defined.
constexpr double kLongestWaitMs = 1e9;

}  // namespace

double ReplyTimeoutMs(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = QLocale().toDouble(trimmed, &ok);
    if (!ok) {
        value = QLocale::c().toDouble(trimmed, &ok);
    }
    if (!ok || !std::isfinite(value)) {
        throw RunTimeError(
            QStringLiteral("Несоответствие типа: таймаут ожидания ответа \"%1\" не является числом")
                .arg(text)
                .toStdString());
    }
    return value;
}

namespace {

// A time-out that is no number is reported by the settling wait after the open; the port then
// opens with its least bound.
int ConnectBoundMs(const QString& replyTimeoutText) {
    try {
        return static_cast<int>(std::clamp(ReplyTimeoutMs(replyTimeoutText), 0.0,
                                           double{link::ReplyTimeoutsMs.Highest}));
    } catch (const RunTimeError&) {
        return 0;
    }
}

}  // namespace

double SettlingWaitMs(const QString& replyTimeoutText) {
    return ReplyTimeoutMs(replyTimeoutText) / 2.0;
}

PollCycle::PollCycle(const Parts& parts, WallClock clock)
    : parts_(parts), clock_(std::move(clock)) {
    ExpectedReplyLength.Fill();
}

void PollCycle::Start(std::int16_t firstCommand, std::int16_t lastCommand) {
    ExchangeInProgress = -1;
    FirstCommand = firstCommand;
    LastCommand = lastCommand;
    Run();
}

QString PollCycle::PortCaption(const char* state) const {
    return QStringLiteral("COM ") + parts_.Host.cboPortText() + QString::fromUtf8(state);
}

void PollCycle::Abort() {
    ExchangeInProgress = 0;
    if (Running()) {
        aborted_ = true;
        parts_.Events.CutShort();
    }
}

void PollCycle::WaitMs(double milliseconds) {
    if (aborted_) {
        return;
    }
    const double bounded = std::clamp(milliseconds, 0.0, kLongestWaitMs);
    parts_.Events.WaitProcessingEvents(std::chrono::microseconds(std::llround(bounded * 1000.0)));
}

void PollCycle::CloseAtEnd() {
    parts_.Link.ClosePort();
    if (!aborted_) {  // a window that is closing shows nothing more
        parts_.Host.SetLabelCOM(PortCaption(" = закрыт"));
    }
}

void PollCycle::Run() {
    if (ExchangeInProgress != -1) {
        return;
    }
    const bool outermost = depth_ == 0;
    if (outermost) {
        aborted_ = false;
    }
    ++depth_;
    try {
        RunCommands();
    } catch (...) {
        --depth_;
        ExchangeInProgress = 0;
        if (outermost && parts_.Link.Channel().IsOpen()) {
            CloseAtEnd();
        }
        throw;
    }
    --depth_;
    ExchangeInProgress = 0;
    // Only the run that opened the port closes it; a nested run leaves it to the outer one,
    // which stops before its next command because the flag is now 0.
    if (outermost) {
        CloseAtEnd();
    }
}

void PollCycle::RunCommands() {
    if (depth_ == 1) {
        parts_.Link.Channel().SetReplyTimeout(ConnectBoundMs(parts_.Host.Text1_3()));
        parts_.Link.OpenSelectedPort(parts_.Host.cboPortListIndex());
    }
    WaitMs(SettlingWaitMs(parts_.Host.Text1_3()));  // let the line settle
    if (aborted_) {
        return;
    }
    if (parts_.Link.Channel().IsOpen()) {
        parts_.Host.SetLabelCOM(PortCaption(" = открыт"));
    }
    parts_.Events.ProcessEvents();
    parts_.Events.ProcessEvents();
    if (aborted_) {
        return;
    }

    // The range is copied: a nested start overwrites FirstCommand and LastCommand.
    const std::int16_t first = FirstCommand;
    const std::int16_t last = LastCommand;
    for (int command = first; command <= last; ++command) {
        if (ExchangeInProgress == 0) {
            return;  // stopped by a nested run
        }
        Exchange(static_cast<std::int16_t>(command));
    }
}

void PollCycle::Exchange(std::int16_t command) {
    const Frame request = BuildRequest(command, parts_.Settings.ControllerAddress, parts_.Staged);
    Frame reply = SendAndRead(command, request);
    for (std::int32_t tries = 1; MayTryAgain(request, reply, tries); ++tries) {
        reply = SendAndRead(command, request);
    }
    if (aborted_) {
        return;  // nothing was read, so nothing is decoded
    }
    parts_.Replies.ReplyDecoder(command, reply);
}

Frame PollCycle::SendAndRead(std::int16_t command, const Frame& request) {
    link::SerialChannel& channel = parts_.Link.Channel();
    parts_.Monitor.shwTxHex(request);  // lets window events run: a close may come there
    if (aborted_) {
        return {};
    }
    ClearInputBeforeRequest();
    channel.WritePort(request);
    const QDateTime written = clock_();
    AwaitedReply awaited{ExpectedReplyLength(command), {}};
    AwaitedReply* const enclosing = std::exchange(awaited_, &awaited);
    struct Restore {
        AwaitedReply*& slot;
        AwaitedReply* previous;
        ~Restore() { slot = previous; }
    } restore{awaited_, enclosing};
    // The wait always runs to its end, even when the reply is already in.
    WaitMs(ReplyTimeoutMs(parts_.Host.Text1_3()));
    if (aborted_) {
        return {};  // the window is closing: the port may already be closed under this run
    }
    const Frame reply = ReadAwaited(awaited);
    replyMoment_ = written.addMSecs(
        std::llround(channel.LineTimeMs(static_cast<std::size_t>(awaited.Length))));
    parts_.Monitor.shwRxHex(reply, 0);
    return reply;
}

// Stale input goes before a request; but bytes that came in while an enclosing run waits
// for its reply are that reply, so a nested run sets them aside for it first. Only once that
// reply is whole is the rest stale; a reply still coming in is left alone.
void PollCycle::ClearInputBeforeRequest() {
    link::SerialChannel& channel = parts_.Link.Channel();
    if (awaited_ != nullptr && channel.IsOpen()) {
        awaited_->SetAside += channel.ReadPort(awaited_->Missing());
    }
    if (awaited_ == nullptr || awaited_->Missing() == 0) {
        channel.PurgeInput();
    }
}

Frame PollCycle::ReadAwaited(const AwaitedReply& awaited) {
    return awaited.SetAside + parts_.Link.Channel().ReadPort(awaited.Missing());
}

// Only a request actually sent is repeated, never on a port that did not open (the operator
// would only see the same failures again), and never once a nested run has stopped this one.
bool PollCycle::MayTryAgain(const Frame& request, const Frame& reply,
                            std::int32_t triesMade) const {
    return triesMade < parts_.Settings.Attempts && !request.empty() && !IsGoodReply(reply) &&
           parts_.Link.Channel().IsOpen() && ExchangeInProgress != 0;
}

}  // namespace pelta::protocol

#include "protocol/poll_cycle.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

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

double SettlingWaitMs(const QString& replyTimeoutText) {
    return ReplyTimeoutMs(replyTimeoutText) / 2.0;
}

PollCycle::PollCycle(const Parts& parts) : parts_(parts) {
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
    parts_.Host.SetLabelCOM(PortCaption(" = закрыт"));
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
    parts_.Monitor.shwTxHex(request);
    channel.PurgeInput();
    channel.WritePort(request);
    // The wait always runs to its end, even when the reply is already in.
    WaitMs(ReplyTimeoutMs(parts_.Host.Text1_3()));
    if (aborted_) {
        return {};  // the window is closing: the port may already be closed under this run
    }
    const Frame reply = channel.ReadPort(ExpectedReplyLength(command));
    parts_.Monitor.shwRxHex(reply, 0);
    return reply;
}

// Only a request actually sent is repeated, and never once a nested run has stopped this one.
bool PollCycle::MayTryAgain(const Frame& request, const Frame& reply,
                            std::int32_t triesMade) const {
    return triesMade < parts_.Settings.Attempts && !request.empty() && !IsGoodReply(reply) &&
           ExchangeInProgress != 0;
}

}  // namespace pelta::protocol

#pragma once
// `PollCycle`: the one exchange engine. A run opens the chosen port, sends each command of the
// range, waits the reply time-out, reads the reply, shows both frames in the traffic monitor,
// hands the reply to the decoder, and closes the port. Input that came in before a request
// (a reply that arrived after its wait) is discarded just before the request is written. A
// command whose reply is missing or fails its CRC is sent again, up to the applied number of
// attempts in all, on a port that opened; each try is shown and counted, and the decoder gets
// the last reply.
//
// The waits run window events, so a starter pressed during a wait runs a nested cycle. The
// nested run uses the port the outer run opened and never opens or closes it itself; when it
// ends it sets `ExchangeInProgress` to 0, so the outer run stops before its next command and
// closes the port: one open, one close. A nested request written while an outer run waits for
// its reply must not throw that reply away: what has come in is set aside for the outer run
// instead of being discarded. A run-time error anywhere in a run sets the flag to 0 and, in
// the outermost run, closes the port before the error reaches the starter.

#include <QDateTime>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>

#include "link/link_settings.h"
#include "link/serial_link.h"
#include "protocol/command_table.h"
#include "protocol/event_waiter.h"
#include "protocol/exchange_starter.h"
#include "protocol/poll_host.h"
#include "protocol/reply_sink.h"
#include "protocol/traffic_monitor.h"

namespace pelta::protocol {

// The reply time-out from the `Text1(3)` text, in milliseconds (a fraction is allowed). Throws
// RunTimeError when the text is not a number.
double ReplyTimeoutMs(const QString& text);
// How long a run lets the line settle after opening the port, before the first request: half
// the reply time-out. A sender of the clock adds it to the time it stages.
double SettlingWaitMs(const QString& replyTimeoutText);

class PollCycle final : public ExchangeStarter {
  public:
    struct Parts {
        PollHost& Host;
        EventWaiter& Events;
        link::SerialLink& Link;
        const link::LinkSettingsModel& Settings;  // for `ControllerAddress`
        TrafficMonitor& Monitor;
        ReplySink& Replies;
        const StagedRequest& Staged;
    };

    using WallClock = std::function<QDateTime()>;

    explicit PollCycle(const Parts& parts, WallClock clock = &QDateTime::currentDateTime);

    std::int16_t ExchangeInProgress = 0;  // -1 a run may proceed, 0 idle or stop
    std::int16_t FirstCommand = 0;
    std::int16_t LastCommand = 0;
    ReplyLengthTable ExpectedReplyLength;

    // The cycle itself: does nothing unless `ExchangeInProgress` is -1.
    void Run();

    void SetExchangeInProgress(std::int16_t flag) override { ExchangeInProgress = flag; }
    void Start(std::int16_t firstCommand, std::int16_t lastCommand) override;

    // True while a run (outer or nested) is going on.
    bool Running() const { return depth_ > 0; }

    // When the reply last read came off the line: its request's write time plus the reply's
    // time on the line. The decoder takes the clock drift against it, not against the end of
    // the reply wait.
    QDateTime ReplyMoment() const { return replyMoment_; }

    // Stops a running exchange at once, for a window that is closing: the wait going on is cut
    // short, and after whatever let events run every run (nested ones too) ends without
    // reading, decoding, sending or showing more; the outermost closes the port. Idle, it only
    // lowers the flag.
    void Abort();

  private:
    // A reply a run waits for, and what a nested run set aside of it before writing its own
    // request.
    struct AwaitedReply {
        std::int16_t Length = 0;
        Frame SetAside;
        std::int16_t Missing() const {
            return static_cast<std::int16_t>(Length - static_cast<std::int16_t>(SetAside.size()));
        }
    };

    void RunCommands();
    void Exchange(std::int16_t command);
    Frame SendAndRead(std::int16_t command, const Frame& request);
    bool MayTryAgain(const Frame& request, const Frame& reply, std::int32_t triesMade) const;
    void WaitMs(double milliseconds);
    void ClearInputBeforeRequest();
    Frame ReadAwaited(const AwaitedReply& awaited);
    QString PortCaption(const char* state) const;
    void CloseAtEnd();

    Parts parts_;
    WallClock clock_;
    int depth_ = 0;
    bool aborted_ = false;             // until the next outermost run
    AwaitedReply* awaited_ = nullptr;  // the innermost run's reply still on its way
    QDateTime replyMoment_;
};

}  // namespace pelta::protocol

#include "protocol/poll_cycle.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include <QLocale>
#include <algorithm>

#include "link/port_discovery.h"
#include "link/termios_port_api.h"
#include "protocol/run_time_error.h"
#include "tests/link/link_test_support.h"
#include "tests/support/fake_window.h"
#include "tests/support/memory_port_api.h"

namespace pelta::protocol {
namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;
using Commands = std::vector<std::int16_t>;

// Records each reply handed over, into the port's call log so that the order is visible.
struct RecordingReplies : ReplySink {
    explicit RecordingReplies(Calls& log) : Log(log) {}
    Calls& Log;
    Commands Seen;
    Frame LastReply;
    void ReplyDecoder(std::int16_t command, const Frame& reply) override {
        Seen.push_back(command);
        LastReply = reply;
        Log.push_back("Decode " + std::to_string(command));
    }
};

const Frame kStateReply = WithCrc(Frame("\x01\x32\xBE") + Frame(17, '\x05'));
const Frame kSettingsReply = WithCrc(Frame("\x01\x32\xC0") + Frame(20, '\x07'));
const QDateTime kClockStart(QDate(2025, 6, 1), QTime(12, 0));

// The cycle with all it drives, on a port the test provides as COM3; the waits and the replies
// go into `log`, and the clock moves on by each wait.
struct CycleRig {
    CycleRig(link::PortApi& api, const char* device, Calls& log)
        : channel{api, window}, replies{log} {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        discovery.SetPorts({{3, device, {}}});
        events.Log = &log;
    }
    ~CycleRig() { QLocale::setDefault(QLocale::c()); }
    // Frames, bad frames and missing replies the monitor counted since `before`.
    std::tuple<int, int, int> CountedSince(const LinkCounters& before) const {
        const LinkCounters& now = monitor.LinkStatistics();
        return {now.Frames - before.Frames, now.BadFrames - before.BadFrames,
                now.NoAnswer - before.NoAnswer};
    }

    pelta::testing::FakeWindow window;
    link::SerialChannel channel;
    link::PortDiscovery discovery{link::SerialMapRoots{"/nonexistent", "/nonexistent", "/none"}};
    link::LinkSettingsModel settings{channel, window, window};
    link::SerialLink serialLink{channel, discovery, settings};
    pelta::testing::FakeWaiter events;
    TrafficMonitor monitor{window, events};
    RecordingReplies replies;
    StagedRequest staged = pelta::testing::FullyStaged();
    PollCycle cycle{{window, events, serialLink, settings, monitor, replies, staged},
                    [this] { return kClockStart.addMSecs(events.Elapsed.count() / 1000); }};
};

struct MemoryPort {
    link::MemoryPortApi api;
};

struct PollCycleTest : ::testing::Test, MemoryPort, CycleRig {
    PollCycleTest() : CycleRig(api, "COM3", api.Calls) { api.AddPort(3); }

    long Count(const std::string& prefix) const {
        return std::ranges::count_if(api.Calls,
                                     [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    }
    void Restart() {
        api.ClearLog();
        replies.Seen.clear();
        events.Waits.clear();
        window = {};
    }
};

TEST_F(PollCycleTest, opensWaitsSendsWaitsReadsDecodesAndClosesOnARefresh) {
    api.QueueInbound(kStateReply);
    cycle.Start(Command::ReadState, Command::ReadState);
    // Input left from before is discarded just before the request goes out.
    const Calls expected = {"CreateFile COM3", "SetCommTimeouts", "SetCommState 9600 8 0 0",
                            "Wait 500000us",   "PurgeComm 8",     "WriteFile 01 32 BE",
                            "Wait 1000000us",  "ReadFile 22",     "Decode 1",
                            "CloseHandle"};
    EXPECT_EQ(api.Calls, expected);
    EXPECT_EQ(window.Writes.filter(QStringLiteral("LabelCOM")),
              (QStringList{"LabelCOM=COM COM 3 = открыт", "LabelCOM=COM COM 3 = закрыт"}));
    api.ClearLog();
    cycle.Run();  // again without a starter: the flag is down
    EXPECT_TRUE(api.Calls.empty());
    cycle.Start(Command::ReadSettings, Command::ReadState);  // first above last
    EXPECT_EQ(api.Calls, (Calls{"CreateFile COM3", "SetCommTimeouts", "SetCommState 9600 8 0 0",
                                "Wait 500000us", "CloseHandle"}));
    // Commands without a request wait, read and decode.
    Restart();
    api.QueueInbound(Frame("\x01\x02\x03\x04"));
    cycle.Start(8, 14);
    EXPECT_EQ(Count("WriteFile"), 0);
    EXPECT_EQ(Count("Wait 1000000us"), 7);
    EXPECT_EQ(replies.Seen, (Commands{8, 9, 10, 11, 12, 13, 14}));
}

// The waits and the port's bound (it learns the time-out before it opens: a network port bounds
// its connect by it) follow the time-out field, in the locale or plain. The drift is taken against
// the moment the reply came off the line, not the end of its wait: the write (after the settling
// wait, half the time-out) plus 22 bytes at the line's speed.
TEST_F(PollCycleTest, waitsBoundThePortAndTakeTheReplyMomentFromTheTimeoutAndTheLine) {
    using us = std::chrono::microseconds;
    // The time-out; speed, data bits, parity and stop bits as list positions; the settling and
    // the reply wait; the port's bound; when the reply came, in ms from the start.
    using Row = std::tuple<const char*, std::int16_t, std::int16_t, std::int16_t, std::int16_t, us,
                           us, int, int>;
    const Row cases[] = {
        {"1000", 3, 4, 0, 0, 500ms, 1000ms, 1000, 500 + 101},    // 2400 8E1: 11
        {"4000", 2, 4, 2, 2, 2000ms, 4000ms, 4000, 2000 + 202},  // 1200 8N2: 11
        {"80000", 7, 3, 1, 0, 40s, 80s, 60000, 40000 + 11},      // 19200 7O1: 10
        {"2,5", 5, 4, 2, 0, 1250us, 2500us, 2, 1 + 23},          // 9600 8N1: 10 bits a byte
        {"2.5", 5, 4, 2, 0, 1250us, 2500us, 2, 1 + 23},
        {"-50", 5, 4, 2, 0, 0us, 0us, 0, 23},
    };
    for (const auto& [timeout, speed, dataBits, parity, stopBits, settle, reply, bound, moment] :
         cases) {
        events.Elapsed = {};
        events.Waits.clear();
        window.In["Text1_3"] = QString::fromLatin1(timeout);
        link::LinkSettings& entry = settings.PortTable[3];
        std::tie(entry.PortNumber, entry.Speed, entry.DataBits, entry.Parity, entry.StopBits) =
            std::make_tuple(3, speed, dataBits, parity, stopBits);
        api.QueueInbound(kStateReply);
        cycle.Start(Command::ReadState, Command::ReadState);
        EXPECT_EQ(events.Waits, (std::vector{settle, reply})) << timeout;
        EXPECT_EQ(api.ReplyTimeoutMs, bound) << timeout;
        EXPECT_EQ(cycle.ReplyMoment(), kClockStart.addMSecs(moment)) << timeout;
    }
}

// More attempts do not try a port that never opened again: the same messages as with one.
TEST_F(PollCycleTest, runsEachCommandOnceAndReportsWhenThePortWillNotOpen) {
    api.ExistingDevices.clear();
    cycle.Start(Command::ReadState, Command::ReadSettings);
    const auto shownWithOneAttempt = window.Messages;
    EXPECT_FALSE(shownWithOneAttempt.empty());
    Restart();
    settings.Attempts = 3;
    cycle.Start(Command::ReadState, Command::ReadSettings);
    EXPECT_EQ(replies.Seen.size(), 5U);
    EXPECT_EQ(Count("WriteFile"), 5);
    EXPECT_EQ(window.Messages, shownWithOneAttempt);
    EXPECT_EQ(window.Writes.filter(QStringLiteral("LabelCOM")).size(), 1);
}

// The stopped outer run is not tried again; the nested run makes its own tries.
TEST_F(PollCycleTest, sharesTheOpenPortAndStopsTheOuterRunOnANestedStart) {
    // The nested start during wait 0 (settling) or 1 (command 1's reply); its alarm hour ("999"
    // fails it); the attempts; the commands decoded; the refresh's and the alarm's tries.
    const std::tuple<std::size_t, const char*, std::int32_t, Commands, long, long> cases[] = {
        {0, "6", 1, {6}, 0, 1},
        {1, "6", 1, {6, 1}, 1, 1},
        {1, "999", 1, {1}, 1, 0},
        {1, "6", 3, {6, 1}, 1, 3}};
    for (const auto& [duringWait, alarmHour, attempts, decoded, refreshTries, alarmTries] : cases) {
        Restart();
        staged.AlarmHour = alarmHour;
        settings.Attempts = attempts;
        events.DuringWait = [&, duringWait = duringWait](std::size_t index) {
            if (index == duringWait) {
                try {  // as the nested starter's handler does
                    cycle.Start(Command::WriteAlarm1, Command::WriteAlarm1);
                } catch (const RunTimeError&) {
                }
            }
        };
        cycle.Start(Command::ReadState, Command::WriteEvent);
        EXPECT_EQ(Count("CreateFile"), 1) << "the nested run must not open the port again";
        EXPECT_EQ(api.Calls.back(), "CloseHandle");
        EXPECT_EQ(Count("CloseHandle"), 1);
        EXPECT_EQ(replies.Seen, decoded) << duringWait << alarmHour << ": command 2 ran";
        EXPECT_EQ(Count("WriteFile 01 32 BE"), refreshTries);
        EXPECT_EQ(Count("WriteFile 01 5A 5F"), alarmTries);
        EXPECT_TRUE(window.Messages.empty()) << "no failed second open";
    }
}

TEST_F(PollCycleTest, sendsAgainUpToTheAttemptsWhenAReplyIsMissingOrBad) {
    const Frame bad = kStateReply.substr(0, 20) + "\x00\x00";
    // The reply to each try ("" silence), the tries made, and frames, bad ones, missing ones.
    const std::tuple<std::vector<Frame>, int, std::tuple<int, int, int>> cases[] = {
        {{"", "", ""}, 3, {3, 0, 3}},
        {{bad, bad, bad}, 3, {3, 3, 0}},
        {{bad, kStateReply, bad}, 2, {2, 1, 0}}};
    settings.Attempts = 3;
    for (const auto& [sent, tries, counted] : cases) {
        Restart();
        api.InboundChunks.assign(sent.begin(), sent.end());  // an empty chunk: one silent read
        const LinkCounters before = monitor.LinkStatistics();
        cycle.Start(Command::ReadState, Command::ReadState);
        const std::string trace = std::to_string(tries) + " tries";
        EXPECT_EQ(Count("WriteFile 01 32 BE"), tries) << trace;
        EXPECT_EQ(window.Text.count(QStringLiteral(":Tx >-- 01 32 BE")), tries) << trace;
        EXPECT_EQ(CountedSince(before), counted) << trace;
        EXPECT_EQ(replies.Seen, Commands{Command::ReadState}) << trace;
        EXPECT_EQ(replies.LastReply, sent[static_cast<std::size_t>(tries) - 1])
            << trace << ": the decoder gets the last try's reply";
    }
}

TEST_F(PollCycleTest, closesThePortAndLowersTheFlagWhenARunTimeErrorPasses) {
    // The time-out, the alarm hour and the port's list position.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"abc", "6", "0"}, {"inf", "6", "0"}, {"1", "6", "-1"}, {"1000", "300", "0"}};
    for (const auto& [timeout, alarmHour, portIndex] : cases) {
        window.In["Text1_3"] = QString::fromLatin1(timeout);
        window.In["cboPortListIndex"] = QString::fromLatin1(portIndex);
        staged.AlarmHour = alarmHour;
        api.ClearLog();
        EXPECT_THROW(cycle.Start(Command::ReadState, Command::WriteAlarm1), std::runtime_error);
        EXPECT_EQ(cycle.ExchangeInProgress, 0) << timeout << alarmHour;
        EXPECT_EQ(api.OpenHandleCount(), 0);
    }
    api.ClearLog();
    cycle.Start(Command::ReadState, Command::ReadState);  // with the last row's valid port
    EXPECT_EQ(Count("WriteFile 01 32 BE"), 1) << "the next start works";
}

// An abort ends only the run it meets (the table on a pty shows what it stops there).
TEST_F(PollCycleTest, abortWhenIdleCutsNothingAndTheNextRunWaitsAndReads) {
    events.DuringWait = [&](std::size_t index) {
        if (index == 0) {
            cycle.Abort();
        }
    };
    cycle.Start(Command::ReadState, Command::ReadState);
    EXPECT_EQ(api.OpenHandleCount(), 0) << "the aborted run closed the port";
    events.DuringWait = nullptr;
    api.QueueInbound(kStateReply);
    cycle.Start(Command::ReadState, Command::ReadState);
    EXPECT_EQ(replies.Seen, Commands{1}) << "the next run waits and reads";
    EXPECT_EQ(events.Waits.back(), 1000ms);
    cycle.Abort();  // idle: nothing to cut short
    EXPECT_EQ(events.CutShortCalls, 1);
}

struct PtyPort {
    link::testing::PtyPair pty;
    link::TermiosPortApi api{{"/nonexistent", "/nonexistent", "/nonexistent"}};
    Calls log;
};

// The cycle on a real pseudo-terminal, the test playing the controller on the other side: what
// a flush or a write does to the line shows here (the in-memory port keeps its bytes).
struct PollCycleOnPtyTest : ::testing::Test, PtyPort, CycleRig {
    PollCycleOnPtyTest() : CycleRig(api, pty.name, log) {}
    // Takes the request and sends the reply, then waits (bounded) until the port has it all.
    void Answer(std::size_t requestLength, const Frame& reply) {
        EXPECT_EQ(pty.Received(requestLength).size(), requestLength);
        pty.Send(reply);
        int queued = 0;
        for (int i = 0; i < 5000 && ::ioctl(pty.slave, FIONREAD, &queued) == 0 &&
                        queued < static_cast<int>(reply.size());
             ++i) {
            ::usleep(1000);
        }
    }
    // What the window's closing does: stop the exchange, close the port.
    void CloseWindow() {
        cycle.Abort();
        channel.ClosePort();
    }
};

// A settings read started while a refresh waits for its reply (which is in) must leave that
// reply to the refresh: both pages get their own reply. Bytes beyond the refresh's reply are
// stale and go.
TEST_F(PollCycleOnPtyTest, leavesTheOuterReplyToTheOuterRunOnANestedStart) {
    for (const Frame& stale : {Frame(), Frame("\xEE\xEE")}) {
        replies.Seen.clear();
        events.Waits.clear();
        events.DuringWait = [&](std::size_t index) {
            if (index == 1) {  // the refresh's reply wait
                Answer(3, kStateReply + stale);
                cycle.Start(Command::ReadSettings, Command::ReadSettings);
            } else if (index == 3) {  // the settings read's reply wait
                Answer(3, kSettingsReply);
            }
        };
        const LinkCounters before = monitor.LinkStatistics();
        cycle.Start(Command::ReadState, Command::ReadState);
        EXPECT_EQ(replies.Seen, (Commands{Command::ReadSettings, Command::ReadState}));
        EXPECT_EQ(replies.LastReply, kStateReply) << "the refresh's reply was thrown away";
        EXPECT_EQ(CountedSince(before), std::make_tuple(2, 0, 0)) << stale.size() << " stale";
    }
}

// A close wherever events run, also in a nested run, cuts the wait short and ends the exchange
// there: nothing more is written to the closed port, read, decoded or shown.
TEST_F(PollCycleOnPtyTest, endsTheExchangeWithNothingMoreSentOnACloseWhereverEventsRun) {
    // Where; the wait it comes in (-1 none, 3 the nested run's reply wait); the event turn it comes
    // in (-1 none, 0 and 1 the cycle's own, 2 the monitor's); what the line got before it.
    const std::tuple<const char*, int, int, std::string> cases[] = {
        {"settling wait", 0, -1, ""},
        {"the cycle's event turn", -1, 1, ""},
        {"the monitor's event turn", -1, 2, ""},
        {"reply wait", 1, -1, "\x01\x32\xBE"},
        {"nested reply wait", 3, -1, std::string("\x01\x32\xBE\x01\x5A\x5F\x00\x06\x1E\x02", 10)},
    };
    for (const auto& [where, waitIndex, eventsIndex, sent] : cases) {
        window = {};
        events = {};
        events.DuringWait = [&, waitIndex = waitIndex](std::size_t i) {
            if (static_cast<int>(i) == waitIndex) {
                CloseWindow();
            } else if (waitIndex == 3 && i == 1) {
                cycle.Start(Command::WriteAlarm1, Command::WriteAlarm1);
            }
        };
        events.DuringProcessEvents = [&, eventsIndex = eventsIndex](int i) {
            if (i == eventsIndex) {
                CloseWindow();
            }
        };
        cycle.Start(Command::ReadState, Command::ReadSettings);
        EXPECT_EQ(pty.Received(sent.size() + 1, 100), sent) << where;
        EXPECT_TRUE(window.Messages.empty()) << where;
        EXPECT_TRUE(replies.Seen.empty()) << where;
        EXPECT_TRUE(window.Writes.filter(QStringLiteral("закрыт")).isEmpty()) << where;
        EXPECT_EQ(events.CutShortCalls, 1) << where;
        EXPECT_EQ(cycle.ExchangeInProgress, 0);
        EXPECT_FALSE(cycle.Running());
    }
}

}  // namespace
}  // namespace pelta::protocol

#include "protocol/poll_cycle.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <algorithm>

#include "fake_views.h"
#include "link/memory_port_api.h"
#include "link/port_discovery.h"
#include "protocol/run_time_error.h"

namespace pelta::protocol {
namespace {

using namespace std::chrono_literals;
using testing::FakeMonitorView;
using testing::FakePollHost;
using testing::FakeWaiter;
using testing::RecordingErrorLog;
using testing::RecordingMessages;

// Records each reply handed over, into the port's call log so that the order is visible.
class RecordingReplies : public ReplySink {
  public:
    explicit RecordingReplies(std::vector<std::string>& log) : log_(log) {}
    std::vector<std::pair<std::int16_t, Frame>> Seen;
    void ReplyDecoder(std::int16_t command, const Frame& reply) override {
        Seen.emplace_back(command, reply);
        log_.push_back("Decode " + std::to_string(command));
    }

  private:
    std::vector<std::string>& log_;
};

StagedRequest EverythingStaged() {
    StagedRequest s;
    s.EventMode = 0;
    s.EventDate = "01.05.24";
    s.EventTime = "07:00";
    s.EventLine1 = std::string(20, 'a');
    s.EventLine2 = std::string(20, 'b');
    s.ClockDate = "01.05.24";
    s.ClockTime = "12:00:00";
    s.ClockCorrection = 40;
    s.ClockOnOffCode = "255";
    s.ClockDayCode = "4";
    s.OnOffCode = "0";
    s.DayCode = "10";
    s.AlarmHour = "6";
    s.AlarmMinute = "30";
    return s;
}

const Frame kStateReply = WithCrc(Frame("\x01\x32\xBE") + Frame(17, '\x05'));

class PollCycleTest : public ::testing::Test {
  protected:
    PollCycleTest() {
        discovery.PortNumbers = QStringList{QStringLiteral("3")};
        api.AddPort(3);
        events.Log = &api.Calls;
        cycle.ExpectedReplyLength.Fill();
    }

    // The calls' first words, without the port configuration in between.
    std::vector<std::string> CallNames() const {
        std::vector<std::string> names;
        for (const auto& call : api.Calls) {
            const std::string name = call.substr(0, call.find(' '));
            if (name != "SetCommTimeouts" && name != "SetCommState") {
                names.push_back(name == "Wait" || name == "Decode" || name == "ReadFile" ? call
                                                                                         : name);
            }
        }
        return names;
    }
    long Count(const std::string& prefix) const {
        return std::count_if(api.Calls.begin(), api.Calls.end(),
                             [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    }

    link::MemoryPortApi api;
    RecordingMessages messages;
    RecordingErrorLog errorLog;
    link::SerialChannel channel{api, messages};
    link::PortDiscovery discovery{
        link::SerialMapRoots{"/nonexistent", "/nonexistent", "/nonexistent"}};
    link::LinkSettingsModel settings{channel, errorLog, messages};
    link::SerialLink serialLink{channel, discovery, settings};
    FakePollHost host;
    FakeWaiter events;
    FakeMonitorView view;
    TrafficMonitor monitor{view, events, [] { return QTime(12, 0, 0); }};
    RecordingReplies replies{api.Calls};
    StagedRequest staged = EverythingStaged();
    PollCycle cycle{{host, events, serialLink, settings, monitor, replies, staged}};
};

TEST_F(PollCycleTest, refreshOpensWaitsSendsWaitsReadsDecodesAndCloses) {
    api.QueueInbound(kStateReply);
    cycle.Start(Command::ReadState, Command::ReadState);

    const std::vector<std::string> expected = {"CreateFile",     "Wait 500000us", "WriteFile",
                                               "Wait 1000000us", "ReadFile 22",   "Decode 1",
                                               "CloseHandle"};
    EXPECT_EQ(CallNames(), expected);
    EXPECT_EQ(api.Written, Frame("\x01\x32\xBE"));
    ASSERT_EQ(replies.Seen.size(), 1U);
    EXPECT_EQ(replies.Seen[0].second, kStateReply) << "the reply goes over with its CRC";
    EXPECT_EQ(host.LabelCOM, (QStringList{QStringLiteral("COM COM 3 = открыт"),
                                          QStringLiteral("COM COM 3 = закрыт")}));
    EXPECT_EQ(cycle.ExchangeInProgress, 0);
    EXPECT_EQ(api.OpenHandleCount(), 0);
    EXPECT_EQ(events.ProcessEventsCalls, 3) << "twice after settling, once by the monitor";
    EXPECT_TRUE(view.Text.contains(QStringLiteral(":Tx >-- 01 32 BE")));
    EXPECT_EQ(monitor.LinkStatistics().Frames, 1);
    EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(PollCycleTest, waitsFollowTheTimeoutField) {
    const struct {
        const char* text;
        std::chrono::microseconds settle;
        std::chrono::microseconds reply;
    } cases[] = {
        {"200", 100ms, 200ms},
        {" 3 ", 1500us, 3ms},
        {"0", 0us, 0us},
        {"-50", 0us, 0us},
    };
    for (const auto& c : cases) {
        events.Waits.clear();
        host.Timeout = QString::fromLatin1(c.text);
        cycle.Start(Command::ReadSettings, Command::ReadSettings);
        ASSERT_EQ(events.Waits.size(), 2U) << c.text;
        EXPECT_EQ(events.Waits[0], c.settle) << c.text;
        EXPECT_EQ(events.Waits[1], c.reply) << c.text;
    }
}

TEST_F(PollCycleTest, doesNothingWhenTheFlagIsDown) {
    cycle.Start(Command::ReadState, Command::ReadState);
    api.ClearLog();
    host.LabelCOM.clear();
    cycle.Run();  // a second call without a starter
    EXPECT_TRUE(api.Calls.empty());
    EXPECT_TRUE(host.LabelCOM.isEmpty());
    EXPECT_TRUE(events.Waits.size() == 2U);
}

TEST_F(PollCycleTest, rangeFirstAboveLastOnlyOpensWaitsAndCloses) {
    cycle.Start(Command::ReadSettings, Command::ReadState);
    const std::vector<std::string> expected = {"CreateFile", "Wait 500000us", "CloseHandle"};
    EXPECT_EQ(CallNames(), expected);
    EXPECT_TRUE(replies.Seen.empty());
    EXPECT_EQ(host.LabelCOM.last(), QStringLiteral("COM COM 3 = закрыт"));
}

TEST_F(PollCycleTest, commandsWithoutRequestStillWaitReadAndDecode) {
    api.QueueInbound(Frame("\x01\x02\x03\x04"));
    cycle.Start(8, 14);
    EXPECT_EQ(Count("WriteFile"), 0);
    EXPECT_EQ(Count("ReadFile"), 1) << "only command 8 expects bytes";
    EXPECT_EQ(Count("ReadFile 3"), 1);
    EXPECT_EQ(Count("Wait 1000000us"), 7);
    ASSERT_EQ(replies.Seen.size(), 7U);
    EXPECT_EQ(replies.Seen[0], std::make_pair(std::int16_t{8}, Frame("\x01\x02\x03")));
    for (std::size_t i = 1; i < 7; ++i) {
        EXPECT_EQ(replies.Seen[i].first, static_cast<std::int16_t>(8 + i));
        EXPECT_TRUE(replies.Seen[i].second.empty());
    }
    EXPECT_EQ(monitor.LinkStatistics().NoAnswer, 6);
}

TEST_F(PollCycleTest, everyReplyIsDecodedOnceWhateverItsState) {
    const struct {
        const char* name;
        Frame queued;
        LinkCounters counted;
    } cases[] = {
        {"empty", Frame(), {1, 0, 1}},
        {"bad CRC", Frame(25, '\x07'), {1, 1, 0}},
        {"short but self-consistent", WithCrc("\x01\x32\xC0\x07"), {1, 0, 0}},
        {"one byte", Frame("\x01"), {1, 1, 0}},
    };
    for (const auto& c : cases) {
        replies.Seen.clear();
        api.InboundChunks.clear();
        if (!c.queued.empty()) {
            api.QueueInbound(c.queued);
        }
        FakeMonitorView freshView;
        TrafficMonitor freshMonitor(freshView, events);
        PollCycle fresh({host, events, serialLink, settings, freshMonitor, replies, staged});
        fresh.ExpectedReplyLength.Fill();
        fresh.Start(Command::ReadSettings, Command::ReadSettings);
        ASSERT_EQ(replies.Seen.size(), 1U) << c.name << ": no second attempt";
        EXPECT_EQ(replies.Seen[0].second, c.queued) << c.name;
        EXPECT_EQ(freshMonitor.LinkStatistics().Frames, c.counted.Frames) << c.name;
        EXPECT_EQ(freshMonitor.LinkStatistics().BadFrames, c.counted.BadFrames) << c.name;
        EXPECT_EQ(freshMonitor.LinkStatistics().NoAnswer, c.counted.NoAnswer) << c.name;
    }
    EXPECT_EQ(Count("ReadFile 25"), 4);
}

TEST_F(PollCycleTest, portThatWillNotOpenStillRunsEveryCommandAndReports) {
    api.ExistingDevices.clear();
    cycle.Start(Command::ReadState, Command::ReadSettings);
    EXPECT_EQ(replies.Seen.size(), 5U);
    ASSERT_FALSE(messages.Shown.empty());
    EXPECT_EQ(messages.Shown[0].Icon, link::MessageIcon::Critical);
    EXPECT_EQ(host.LabelCOM, QStringList{QStringLiteral("COM COM 3 = закрыт")})
        << "never shown as open";
    EXPECT_EQ(cycle.ExchangeInProgress, 0);
}

TEST_F(PollCycleTest, nestedStartSharesTheOpenPortAndStopsTheOuterRun) {
    bool nestedDone = false;
    events.DuringWait = [&](std::size_t index) {
        if (index == 1 && !nestedDone) {  // the outer run's reply wait for command 1
            nestedDone = true;
            cycle.Start(Command::ReadSettings, Command::ReadSettings);
        }
    };
    cycle.Start(Command::ReadState, Command::WriteEvent);

    EXPECT_EQ(Count("CreateFile"), 1) << "the nested run must not open the port again";
    EXPECT_EQ(Count("CloseHandle"), 1);
    EXPECT_EQ(api.Calls.back(), "CloseHandle");
    EXPECT_EQ(api.OpenHandleCount(), 0);
    EXPECT_EQ(api.Written, Frame("\x01\x32\xBE\x01\x32\xC0")) << "command 2 never went out";
    ASSERT_EQ(replies.Seen.size(), 2U);
    EXPECT_EQ(replies.Seen[0].first, Command::ReadSettings);
    EXPECT_EQ(replies.Seen[1].first, Command::ReadState);
    EXPECT_EQ(host.LabelCOM.count(QStringLiteral("COM COM 3 = закрыт")), 1);
    EXPECT_EQ(host.LabelCOM.last(), QStringLiteral("COM COM 3 = закрыт"));
    EXPECT_EQ(cycle.ExchangeInProgress, 0);
    EXPECT_FALSE(cycle.Running());
    EXPECT_TRUE(messages.Shown.empty()) << "no failed second open";
}

TEST_F(PollCycleTest, nestedStartDuringSettlingStopsTheOuterRunBeforeItsFirstCommand) {
    events.DuringWait = [&](std::size_t index) {
        if (index == 0) {
            cycle.Start(Command::ReadSettings, Command::ReadSettings);
        }
    };
    cycle.Start(Command::ReadState, Command::ReadState);
    EXPECT_EQ(api.Written, Frame("\x01\x32\xC0"));
    EXPECT_EQ(Count("CreateFile"), 1);
    EXPECT_EQ(Count("CloseHandle"), 1);
}

struct FailureCase {
    const char* name;
    void (*spoil)(FakePollHost&, StagedRequest&);
    std::int16_t first;
    std::int16_t last;
    bool opened;
};

TEST_F(PollCycleTest, runTimeErrorClosesThePortAndLowersTheFlagBeforeItReachesTheStarter) {
    const FailureCase cases[] = {
        {"alarm hour 300", [](FakePollHost&, StagedRequest& s) { s.AlarmHour = "300"; },
         Command::ReadState, Command::WriteAlarm1, true},
        {"time-out not a number", [](FakePollHost& h, StagedRequest&) { h.Timeout = "abc"; },
         Command::ReadState, Command::ReadState, true},
        {"no port chosen", [](FakePollHost& h, StagedRequest&) { h.PortIndex = -1; },
         Command::ReadState, Command::ReadState, false},
    };
    for (const auto& c : cases) {
        FakePollHost badHost;
        StagedRequest badStaged = EverythingStaged();
        c.spoil(badHost, badStaged);
        PollCycle failing({badHost, events, serialLink, settings, monitor, replies, badStaged});
        failing.ExpectedReplyLength.Fill();
        api.ClearLog();
        EXPECT_THROW(failing.Start(c.first, c.last), std::runtime_error) << c.name;
        EXPECT_EQ(failing.ExchangeInProgress, 0) << c.name;
        EXPECT_FALSE(failing.Running()) << c.name;
        EXPECT_EQ(api.OpenHandleCount(), 0) << c.name;
        EXPECT_EQ(Count("CloseHandle"), c.opened ? 1 : 0) << c.name;
        EXPECT_EQ(channel.PortHandle, 0) << c.name;

        // The next start works.
        api.ClearLog();
        cycle.Start(Command::ReadState, Command::ReadState);
        EXPECT_EQ(Count("CreateFile"), 1) << c.name;
        EXPECT_EQ(Count("WriteFile"), 1) << c.name;
        EXPECT_EQ(api.OpenHandleCount(), 0) << c.name;
    }
}

TEST_F(PollCycleTest, failedNestedRunStopsTheOuterRunWhichClosesThePort) {
    std::string nestedError;
    events.DuringWait = [&](std::size_t index) {
        if (index == 1) {
            staged.AlarmHour = "999";
            try {  // as the nested starter's handler does
                cycle.Start(Command::WriteAlarm1, Command::WriteAlarm1);
            } catch (const RunTimeError& e) {
                nestedError = e.what();
            }
        }
    };
    cycle.Start(Command::ReadState, Command::ReadSettings);
    EXPECT_FALSE(nestedError.empty());
    EXPECT_EQ(api.Written, Frame("\x01\x32\xBE")) << "the outer run stopped after command 1";
    EXPECT_EQ(Count("CreateFile"), 1);
    EXPECT_EQ(Count("CloseHandle"), 1);
    EXPECT_EQ(api.Calls.back(), "CloseHandle");
    EXPECT_EQ(cycle.ExchangeInProgress, 0);
}

TEST(ReplyTimeoutMs, readsDecimalTextInTheLocaleOrPlain) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(ReplyTimeoutMs("1000"), 1000.0);
    EXPECT_EQ(ReplyTimeoutMs("2,5"), 2.5);
    EXPECT_EQ(ReplyTimeoutMs("2.5"), 2.5);
    for (const char* bad : {"", "abc", "10 мс", "inf"}) {
        EXPECT_THROW(ReplyTimeoutMs(QString::fromUtf8(bad)), RunTimeError) << bad;
    }
    QLocale::setDefault(QLocale::c());
}

}  // namespace
}  // namespace pelta::protocol

#include "protocol/traffic_monitor.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "tests/support/fake_window.h"

namespace pelta::protocol {
namespace {

using pelta::testing::Bytes;

const Frame kGoodReply = WithCrc(Bytes({0x01, 0x5A, 0x00}));
const Frame kBadReply = Bytes({0x01, 0x5A, 0x00, 0x00, 0x00});

struct TrafficMonitorTest : ::testing::Test {
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    pelta::testing::FakeWindow view;
    pelta::testing::FakeWaiter events;
    TrafficMonitor monitor{view, events, [] { return QTime(10, 15, 3); }};
};

// A failing label must not stop the reply display.
TEST_F(TrafficMonitorTest, insertsFramesAtTheCursorAndShowsPacketStatistics) {
    view.Text = QStringLiteral("old\r\n");
    view.FailOn = QStringLiteral("Label1");
    monitor.shwRxHex(kGoodReply);
    view.FailOn.clear();
    const auto shown = view.Text.size();
    monitor.shwTxHex(Bytes({0x01, 0x32, 0xBE}));
    EXPECT_EQ(view.Text, QStringLiteral("10:15:03: 5\t:Rx <-- 01 5A 00 1A A0 \r\n10:15:03: 3\t:Tx "
                                        ">-- 01 32 BE \r\nold\r\n"));
    EXPECT_EQ(view.Cursor, view.Text.size());
    EXPECT_EQ(view.Shown["Label1"], QStringLiteral("Всего символов: %1 символов в пакете : 003 "
                                                   "ошибочных пакетов : 0 нет ответа : 0")
                                        .arg(shown));
    monitor.shwTxHex(Frame(27, 'a'));
    EXPECT_TRUE(view.Shown["Label1"].contains(QStringLiteral(" символов в пакете : 027 ")));
}

TEST_F(TrafficMonitorTest, countsRepliesAndShowsTheLinkState) {
    // The replies, the bad and the missing ones among the three, the link state shown.
    // clang-format off
    const std::tuple<std::vector<Frame>, int, int, const char*> cases[] = {
        {{kGoodReply, kBadReply, Frame()}, 1, 1,
         "успешно - 033,33%  , нет связи : 033,33% ошибки связи : 033,33% "},
        {{kGoodReply, kGoodReply, Bytes({0x01})}, 1, 0,
         "успешно - 066,67%  , нет связи : 000,00% ошибки связи : 033,33% "},
    };
    // clang-format on
    for (const auto& [replies, bad, missing, linkState] : cases) {
        pelta::testing::FakeWindow fresh;
        TrafficMonitor counting(fresh, events);
        for (const auto& reply : replies) {
            counting.shwRxHex(reply);
        }
        EXPECT_EQ(fresh.Shown["Label2(0)"], QStringLiteral("Состояние связи: ") + linkState);
        EXPECT_TRUE(fresh.Shown["Label1"].endsWith(
            QStringLiteral("ошибочных пакетов : %1 нет ответа : %2").arg(bad).arg(missing)));
    }
}

TEST_F(TrafficMonitorTest, emptiesTheTextAndRestartsTheCountersPastTheLimit) {
    monitor.shwRxHex(kBadReply);
    const auto added =
        FrameHeader(QTime(10, 15, 3), 5, Direction::Rx).size() + HexLine(kGoodReply).size() + 2;
    view.Text = QString(TrafficMonitor::kMaxTextLength - added, QLatin1Char('x'));
    view.Cursor = view.Text.size();
    monitor.shwRxHex(kGoodReply);
    EXPECT_EQ(view.Text.size(), TrafficMonitor::kMaxTextLength) << "up to the limit it stays";
    monitor.shwRxHex(kGoodReply);
    EXPECT_TRUE(view.Text.isEmpty());
    EXPECT_EQ(monitor.LinkStatistics().Frames, 0);
    EXPECT_TRUE(view.Shown["Label2(0)"].contains(QStringLiteral("ошибки связи : 033,33%")))
        << "the label still shows the figures of the reply that crossed the limit";
    monitor.shwRxHex(Frame());
    EXPECT_EQ(monitor.LinkStatistics().NoAnswer, 1) << "the next reply counts from zero";
    view.Text = QString(64999, QLatin1Char('x'));
    monitor.shwTxHex(Bytes({0x01, 0x32, 0xBE}));
    EXPECT_TRUE(view.Text.isEmpty()) << "a request past the limit empties the text too";
    EXPECT_EQ(monitor.LinkStatistics().NoAnswer, 1) << "but keeps the counters";
}

}  // namespace
}  // namespace pelta::protocol

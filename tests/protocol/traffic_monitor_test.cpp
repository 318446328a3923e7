#include "protocol/traffic_monitor.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "fake_views.h"

namespace pelta::protocol {
namespace {

using testing::FakeMonitorView;
using testing::FakeWaiter;

Frame Bytes(std::initializer_list<int> values) {
    Frame frame;
    for (const int v : values) {
        frame += static_cast<char>(v);
    }
    return frame;
}

const Frame kGoodReply = WithCrc(Bytes({0x01, 0x5A, 0x00}));
const Frame kBadReply = Bytes({0x01, 0x5A, 0x00, 0x00, 0x00});

class TrafficMonitorTest : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    FakeMonitorView view;
    FakeWaiter events;
    TrafficMonitor monitor{view, events, [] { return QTime(10, 15, 3); }};
};

TEST(HexLine, writesTwoUppercaseDigitsAndASpacePerByte) {
    const struct {
        Frame frame;
        const char* expected;
    } cases[] = {
        {Bytes({0x01, 0x32, 0xBE}), "01 32 BE "},
        {{}, ""},
        {Bytes({0x00, 0x0F, 0xFF, 0xA0}), "00 0F FF A0 "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HexLine(c.frame), QString::fromLatin1(c.expected));
    }
}

TEST_F(TrafficMonitorTest, requestGetsHeaderHexLineAndLineEnd) {
    monitor.shwTxHex(Bytes({0x01, 0x32, 0xBE}));
    EXPECT_EQ(view.Text, QStringLiteral("10:15:03: 3\t:Tx >-- 01 32 BE \r\n"));
    EXPECT_EQ(view.Label1, QStringLiteral("Всего символов: 0 символов в пакете : 003 ошибочных "
                                          "пакетов : 0 нет ответа : 0"));
    EXPECT_EQ(events.ProcessEventsCalls, 1);
    EXPECT_EQ(monitor.LinkStatistics().Frames, 0) << "requests are not counted";
}

TEST_F(TrafficMonitorTest, packetStatisticsCountTheTextBeforeTheFrame) {
    monitor.shwTxHex(Bytes({0x01, 0x32, 0xBE}));
    const int before = static_cast<int>(view.Text.size());
    monitor.shwTxHex(Frame(27, 'a'));
    EXPECT_TRUE(view.Label1.startsWith(QStringLiteral("Всего символов: %1 ").arg(before)))
        << view.Label1.toStdString();
    EXPECT_TRUE(view.Label1.contains(QStringLiteral("в пакете : 027 ")));
    EXPECT_TRUE(view.Text.contains(QStringLiteral("10:15:03: 27\t:Tx >-- 61 61")));
}

TEST_F(TrafficMonitorTest, replyHeaderUsesTheReceiveMarker) {
    monitor.shwRxHex(kGoodReply);
    EXPECT_TRUE(view.Text.startsWith(QStringLiteral("10:15:03: 5\t:Rx <-- 01 5A 00 ")));
    EXPECT_TRUE(view.Text.endsWith(QStringLiteral(" \r\n")));
}

TEST(Percent, formatsThreeIntegerDigitsAndTwoDecimalsInTheLocale) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const struct {
        int part;
        int total;
        const char* expected;
    } cases[] = {
        {1, 1, "100,00"}, {0, 1, "000,00"}, {1, 3, "033,33"},
        {2, 3, "066,67"}, {1, 2, "050,00"}, {1, 100, "001,00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Percent(c.part, c.total), QString::fromLatin1(c.expected))
            << c.part << "/" << c.total;
    }
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(Percent(1, 3), QStringLiteral("033.33"));
}

struct CountingCase {
    const char* name;
    std::vector<Frame> replies;
    LinkCounters expected;
    const char* linkState;
};

TEST_F(TrafficMonitorTest, countsRepliesAndShowsTheLinkState) {
    const CountingCase cases[] = {
        {"one good reply",
         {kGoodReply},
         {1, 0, 0},
         "Состояние связи: успешно - 100,00%  , нет связи : 000,00% ошибки связи : 000,00% "},
        {"no answer",
         {Frame()},
         {1, 0, 1},
         "Состояние связи: успешно - 000,00%  , нет связи : 100,00% ошибки связи : 000,00% "},
        {"good, bad, empty",
         {kGoodReply, kBadReply, Frame()},
         {3, 1, 1},
         "Состояние связи: успешно - 033,33%  , нет связи : 033,33% ошибки связи : 033,33% "},
        {"a single byte is a bad frame",
         {Bytes({0x01})},
         {1, 1, 0},
         "Состояние связи: успешно - 000,00%  , нет связи : 000,00% ошибки связи : 100,00% "},
    };
    for (const auto& c : cases) {
        FakeMonitorView freshView;
        TrafficMonitor fresh(freshView, events, [] { return QTime(10, 15, 3); });
        for (const auto& reply : c.replies) {
            fresh.shwRxHex(reply);
        }
        EXPECT_EQ(fresh.LinkStatistics().Frames, c.expected.Frames) << c.name;
        EXPECT_EQ(fresh.LinkStatistics().BadFrames, c.expected.BadFrames) << c.name;
        EXPECT_EQ(fresh.LinkStatistics().NoAnswer, c.expected.NoAnswer) << c.name;
        EXPECT_EQ(freshView.Label2_0, QString::fromUtf8(c.linkState)) << c.name;
        EXPECT_TRUE(
            freshView.Label1.endsWith(QStringLiteral("ошибочных пакетов : %1 нет ответа : %2")
                                          .arg(c.expected.BadFrames)
                                          .arg(c.expected.NoAnswer)))
            << c.name;
    }
}

TEST_F(TrafficMonitorTest, replyPastTheLimitEmptiesTextAndRestartsCounters) {
    monitor.shwRxHex(kBadReply);
    view.Text = QString(64990, QLatin1Char('x'));
    view.Cursor = view.Text.size();
    monitor.shwRxHex(kGoodReply);
    EXPECT_TRUE(view.Text.isEmpty());
    EXPECT_EQ(monitor.LinkStatistics().Frames, 0);
    EXPECT_EQ(monitor.LinkStatistics().BadFrames, 0);
    EXPECT_TRUE(view.Label2_0.contains(QStringLiteral("ошибки связи : 050,00%")))
        << "the label still shows the figures of the reply that crossed the limit";

    monitor.shwRxHex(Frame());
    EXPECT_EQ(monitor.LinkStatistics().Frames, 1) << "the next reply is frame 1";
    EXPECT_EQ(monitor.LinkStatistics().NoAnswer, 1);
}

TEST_F(TrafficMonitorTest, replyUpToTheLimitKeepsTheText) {
    const int added = static_cast<int>(FrameHeader(QTime(10, 15, 3), 5, Direction::Rx).size() +
                                       HexLine(kGoodReply).size() + 2);
    view.Text = QString(TrafficMonitor::kMaxTextLength - added, QLatin1Char('x'));
    view.Cursor = view.Text.size();
    monitor.shwRxHex(kGoodReply);
    EXPECT_EQ(view.Text.size(), TrafficMonitor::kMaxTextLength);
    EXPECT_EQ(monitor.LinkStatistics().Frames, 1);
}

TEST_F(TrafficMonitorTest, requestPastTheLimitEmptiesTextButKeepsCounters) {
    monitor.shwRxHex(Frame());
    view.Text = QString(64999, QLatin1Char('x'));
    monitor.shwTxHex(Bytes({0x01, 0x32, 0xBE}));
    EXPECT_TRUE(view.Text.isEmpty());
    EXPECT_EQ(monitor.LinkStatistics().Frames, 1);
    EXPECT_EQ(monitor.LinkStatistics().NoAnswer, 1);
}

TEST_F(TrafficMonitorTest, failingLabelDoesNotStopTheReplyDisplay) {
    view.FailLabel1 = true;
    monitor.shwRxHex(kGoodReply);
    EXPECT_EQ(monitor.LinkStatistics().Frames, 1);
    EXPECT_FALSE(view.Label2_0.isEmpty());
    EXPECT_TRUE(view.Text.contains(QStringLiteral(":Rx <-- ")));
}

TEST_F(TrafficMonitorTest, framesGoToTheInsertionPointAndARequestThenMovesItToTheEnd) {
    const QString tx1 = QStringLiteral("10:15:03: 1\t:Tx >-- 01 \r\n");
    const QString rx = QStringLiteral("10:15:03: 0\t:Rx <-- \r\n");
    const QString tx2 = QStringLiteral("10:15:03: 1\t:Tx >-- 02 \r\n");
    monitor.shwTxHex(Bytes({0x01}));
    view.Cursor = 0;  // the operator clicked at the top
    monitor.shwRxHex(Frame());
    EXPECT_EQ(view.Text, rx + tx1);
    monitor.shwTxHex(Bytes({0x02}));
    EXPECT_EQ(view.Text, rx + tx2 + tx1);
    EXPECT_EQ(view.Cursor, view.Text.size());
}

}  // namespace
}  // namespace pelta::protocol

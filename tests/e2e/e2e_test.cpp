#include <gtest/gtest.h>

#include <QLocale>

#include "sim_rig.h"

namespace pelta::e2e {
namespace {

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    // After every run: the port closed and shown closed, the flag down.
    static void ExpectClosed(SimRig& rig) {
        EXPECT_EQ(rig.channel.PortHandle, 0);
        EXPECT_EQ(rig.window.LabelCOM.value(rig.window.LabelCOM.size() - 1),
                  QStringLiteral("COM ") + rig.window.PortText + QStringLiteral(" = закрыт"));
        EXPECT_EQ(rig.cycle.ExchangeInProgress, 0);
    }
    // A clean run: every reply good, nothing reported.
    static void ExpectClean(SimRig& rig, int frames) {
        EXPECT_EQ(rig.monitor.LinkStatistics().Frames, frames);
        EXPECT_EQ(rig.monitor.LinkStatistics().BadFrames, 0);
        EXPECT_TRUE(rig.window.Messages.empty()) << rig.window.Messages[0].Text.toStdString();
        EXPECT_TRUE(rig.window.ErrorLog.isEmpty()) << rig.window.ErrorLog.join('\n').toStdString();
        ExpectClosed(rig);
    }
};

TEST_F(EndToEnd, refreshShowsTheSimulatorsClimateAndClock) {
    SimRig rig;
    rig.commands.Command5_Click();
    EXPECT_EQ(rig.window.Labels["Label5"], QStringLiteral("Температура: 21,5 °C"));
    EXPECT_EQ(rig.window.Labels["Label14(0)"], QStringLiteral("Давление: 750,5 мм Рт"));
    EXPECT_TRUE(rig.window.Labels["Label4"].contains(QStringLiteral(" 0 ч. 00 мин. 0")))
        << rig.window.Labels["Label4"].toStdString() << ": the simulator keeps the host's time";
    ExpectClean(rig, 1);
}

TEST_F(EndToEnd, sentClockComesBackOnTheNextRefresh) {
    SimRig rig;
    rig.commands.Button166_Click();  // 05.03.09 14:07:09
    rig.commands.Command5_Click();
    EXPECT_EQ(rig.window.Labels["Label3"], QStringLiteral("05 марта 2009"));
    EXPECT_TRUE(rig.window.Labels["Label7"].startsWith(QStringLiteral("14:07:")))
        << rig.window.Labels["Label7"].toStdString();
    ExpectClean(rig, 2);
}

TEST_F(EndToEnd, sentAlarmShowsWhenTheSettingsAreRead) {
    SimRig rig;
    rig.window.DateTime3[1] = QStringLiteral("06:45");
    rig.window.Combo1[1] = 8;  // "Выходные"
    rig.commands.Button167_Click(1);
    EXPECT_TRUE(rig.commands.Button163_Click([] {}));
    for (const char* write : {"DateTime3(1)=06:45", "Combo1(1)=8", "Check1(1)=off"}) {
        EXPECT_TRUE(rig.window.Writes.contains(QString::fromLatin1(write)))
            << write << " not in " << rig.window.Writes.join(", ").toStdString();
    }
    ExpectClean(rig, 2);
}

int HexByteCount(const QString& logLine) {
    const QString hex = logLine.mid(logLine.indexOf(QStringLiteral(" rx ")) + 4);
    return static_cast<int>(
        hex.section(QLatin1Char('|'), 0, 0).split(' ', Qt::SkipEmptyParts).size());
}

TEST_F(EndToEnd, sentEventCarriesExactlyTheTwoTwentyByteLines) {
    SimRig rig;
    rig.window.Text2[1] = QStringLiteral("это очень длинная вторая строка");
    rig.commands.Button168_Click();
    const QStringList received = rig.ReceivedLines(2);
    ASSERT_EQ(received.size(), 2) << received.join('\n').toStdString();
    EXPECT_TRUE(
        received[0].contains(QStringLiteral("rx 01 5A 64 00 0C 18 12 A8 70 B8 B3 65 BF 20")))
        << received[0].toStdString();
    EXPECT_EQ(HexByteCount(received[0]), 27);
    EXPECT_TRUE(received[1].contains(QStringLiteral("rx 01 5A 65 ")));
    EXPECT_EQ(HexByteCount(received[1]), 23);
    ExpectClean(rig, 2);
}

TEST_F(EndToEnd, misbehavingControllerIsCountedAndNothingBreaks) {
    const struct {
        QStringList simArgs;
        protocol::LinkCounters expected;
    } cases[] = {{{"--silent"}, {1, 0, 1}},
                 {{"--bad-crc"}, {1, 1, 0}},
                 {{"--short"}, {1, 1, 0}},
                 {{"--late", "600"}, {1, 0, 1}}};
    for (const auto& c : cases) {
        SimRig rig(c.simArgs);
        rig.commands.Command5_Click();
        const protocol::LinkCounters& counted = rig.monitor.LinkStatistics();
        EXPECT_EQ(std::tie(counted.Frames, counted.BadFrames, counted.NoAnswer),
                  std::tie(c.expected.Frames, c.expected.BadFrames, c.expected.NoAnswer))
            << c.simArgs.join(' ').toStdString();
        ExpectClosed(rig);
    }
}

}  // namespace
}  // namespace pelta::e2e

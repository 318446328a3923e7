#include <gtest/gtest.h>

#include <QLocale>

#include "sim_rig.h"

namespace pelta::e2e {
namespace {

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    static void ExpectClosed(SimRig& rig) {
        EXPECT_EQ(rig.channel->PortHandle, 0);
        ASSERT_FALSE(rig.window.LabelCOM.isEmpty());
        EXPECT_EQ(rig.window.LabelCOM.last(),
                  QStringLiteral("COM ") + rig.window.PortText + QStringLiteral(" = закрыт"));
        EXPECT_EQ(rig.cycle->ExchangeInProgress, 0);
    }
};

TEST_F(EndToEnd, refreshShowsTheSimulatorsClimateAndClock) {
    SimRig rig;
    rig.commands->Command5_Click();
    EXPECT_EQ(rig.window.Labels["Label5"], QStringLiteral("Температура: 21,5 °C"));
    EXPECT_EQ(rig.window.Labels["Label15(0)"], QStringLiteral("Температура: -3 °C"));
    EXPECT_EQ(rig.window.Labels["Label6"], QStringLiteral("Влажность: 45%"));
    EXPECT_EQ(rig.window.Labels["Label14(0)"], QStringLiteral("Давление: 750,5 мм Рт"));
    EXPECT_TRUE(rig.window.Labels["Label4"].startsWith(QStringLiteral("Уход часов: ")));
    EXPECT_TRUE(rig.window.Labels["Label4"].contains(QStringLiteral(" 0 ч. 00 мин. 0")))
        << rig.window.Labels["Label4"].toStdString() << ": the simulator keeps the host's time";
    EXPECT_EQ(rig.monitor->LinkStatistics().Frames, 1);
    EXPECT_EQ(rig.monitor->LinkStatistics().BadFrames, 0);
    EXPECT_TRUE(rig.window.Messages.isEmpty()) << rig.window.Messages.join('\n').toStdString();
    ExpectClosed(rig);
}

TEST_F(EndToEnd, sentClockComesBackOnTheNextRefresh) {
    SimRig rig;
    rig.window.DateTime1 = QStringLiteral("05.03.09");
    rig.window.DateTime2 = QStringLiteral("14:07:09");
    rig.commands->Button166_Click();
    rig.commands->Command5_Click();
    EXPECT_EQ(rig.window.Labels["Label3"], QStringLiteral("05 марта 2009"));
    EXPECT_TRUE(rig.window.Labels["Label7"].startsWith(QStringLiteral("14:07:")))
        << rig.window.Labels["Label7"].toStdString();
    EXPECT_EQ(rig.monitor->LinkStatistics().Frames, 2);
    EXPECT_EQ(rig.monitor->LinkStatistics().BadFrames, 0);
    ExpectClosed(rig);
}

TEST_F(EndToEnd, sentAlarmShowsWhenTheSettingsAreRead) {
    SimRig rig;
    rig.window.DateTime3[1] = QStringLiteral("06:45");
    rig.window.Combo1[1] = 8;  // "Выходные"
    rig.window.Check1[1] = 0;
    rig.commands->Button167_Click(1);
    bool pageShown = false;
    EXPECT_TRUE(rig.commands->Button163_Click([&] { pageShown = true; }));
    EXPECT_TRUE(pageShown);
    EXPECT_TRUE(rig.window.SettingsWrites.contains(QStringLiteral("DateTime3(1)=06:45")))
        << rig.window.SettingsWrites.join(", ").toStdString();
    EXPECT_TRUE(rig.window.SettingsWrites.contains(QStringLiteral("Combo1(1)=8")));
    EXPECT_TRUE(rig.window.SettingsWrites.contains(QStringLiteral("Check1(1)=off")));
    EXPECT_TRUE(rig.window.Messages.isEmpty()) << rig.window.Messages.join('\n').toStdString();
    ExpectClosed(rig);
}

int HexByteCount(const QString& logLine) {
    const qsizetype rx = logLine.indexOf(QStringLiteral(" rx "));
    const QString hex = logLine.mid(rx + 4).section(QLatin1Char('|'), 0, 0).trimmed();
    return static_cast<int>(hex.split(QLatin1Char(' '), Qt::SkipEmptyParts).size());
}

TEST_F(EndToEnd, sentEventCarriesExactlyTheTwoTwentyByteLines) {
    SimRig rig;
    rig.window.Text2[0] = QStringLiteral("Привет");
    rig.window.Text2[1] = QStringLiteral("это очень длинная вторая строка");
    rig.commands->Button168_Click();
    const QStringList received = rig.sim->ReceivedLines(2);
    ASSERT_EQ(received.size(), 2) << received.join('\n').toStdString();
    EXPECT_TRUE(
        received[0].contains(QStringLiteral("rx 01 5A 64 00 0C 18 12 A8 70 B8 B3 65 BF 20")))
        << received[0].toStdString();
    EXPECT_EQ(HexByteCount(received[0]), 27);
    EXPECT_TRUE(received[1].contains(QStringLiteral("rx 01 5A 65 ")));
    EXPECT_EQ(HexByteCount(received[1]), 23);
    EXPECT_EQ(rig.monitor->LinkStatistics().Frames, 2);
    EXPECT_EQ(rig.monitor->LinkStatistics().BadFrames, 0);
    ExpectClosed(rig);
}

struct MisbehaviourCase {
    const char* name;
    QStringList simArgs;
    protocol::LinkCounters expected;
};

TEST_F(EndToEnd, misbehavingControllerIsCountedAndNothingBreaks) {
    const MisbehaviourCase cases[] = {
        {"silent", {"--silent"}, {1, 0, 1}},
        {"bad CRC", {"--bad-crc"}, {1, 1, 0}},
        {"short reply", {"--short"}, {1, 1, 0}},
        {"late beyond the time-out", {"--late", "600"}, {1, 0, 1}},
    };
    for (const auto& c : cases) {
        SimRig rig(c.simArgs);
        rig.commands->Command5_Click();
        const protocol::LinkCounters& counted = rig.monitor->LinkStatistics();
        EXPECT_EQ(counted.Frames, c.expected.Frames) << c.name;
        EXPECT_EQ(counted.BadFrames, c.expected.BadFrames) << c.name;
        EXPECT_EQ(counted.NoAnswer, c.expected.NoAnswer) << c.name;
        if (c.expected.NoAnswer != 0) {
            EXPECT_EQ(rig.window.Labels.count("Label5"), 0U) << c.name << ": nothing to show";
        }
        ExpectClosed(rig);
    }
}

}  // namespace
}  // namespace pelta::e2e

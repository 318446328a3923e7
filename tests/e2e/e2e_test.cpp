#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLocale>

#include "sim_rig.h"

namespace pelta::e2e {
namespace {

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    // After every run: the port closed and shown closed.
    static void ExpectClosed(SimRig& rig) {
        EXPECT_EQ(rig.channel.PortHandle, 0);
        EXPECT_TRUE(rig.window.Shown["LabelCOM"].endsWith(QStringLiteral(" = закрыт")));
    }
    // A clean run: every reply good, nothing reported.
    static void ExpectClean(SimRig& rig, int frames) {
        EXPECT_EQ(rig.monitor.LinkStatistics().Frames, frames);
        EXPECT_EQ(rig.monitor.LinkStatistics().BadFrames + rig.monitor.LinkStatistics().NoAnswer,
                  0);
        EXPECT_TRUE(rig.window.Messages.empty()) << rig.window.Messages[0].first.toStdString();
        EXPECT_EQ(rig.window.Shown.count(QStringLiteral("ErrorLog")), 0U);
        ExpectClosed(rig);
    }
};

TEST_F(EndToEnd, refreshShowsTheClimateThenTheClockSentAndSettingsShowTheAlarmSent) {
    SimRig rig;
    rig.commands.Command5_Click();
    EXPECT_EQ(rig.window.Shown["Label5"], QStringLiteral("Температура: 21,5 °C"));
    EXPECT_TRUE(rig.window.Shown["Label4"].contains(QStringLiteral(" 0 ч. 00 мин. 0")))
        << rig.window.Shown["Label4"].toStdString() << ": the simulator keeps the host's time";
    rig.commands.Button166_Click();  // 05.03.09 14:07:09
    rig.commands.Command5_Click();
    EXPECT_EQ(rig.window.Shown["Label3"], QStringLiteral("05 марта 2009"));

    rig.window.In["DateTime3(1)"] = QStringLiteral("06:45");
    rig.window.In["Combo1(1)"] = QStringLiteral("8");  // "Выходные"
    rig.commands.Button167_Click(1);
    EXPECT_TRUE(rig.commands.Button163_Click([] {}));
    for (const char* write : {"DateTime3(1)=06:45", "Combo1(1)=8", "Check1(1)=off"}) {
        EXPECT_TRUE(rig.window.Writes.contains(QString::fromLatin1(write)))
            << write << " not in " << rig.window.Writes.join(", ").toStdString();
    }
    ExpectClean(rig, 5);
}

// The bytes of the monitor's last received frame, as hex text.
QString LastReceivedHex(const QString& monitorText) {
    const QString rx = QStringLiteral(":Rx <-- ");
    return monitorText.mid(monitorText.lastIndexOf(rx) + rx.size()).trimmed();
}
// The clock a reply shows when decoded on its own.
QString ClockShownFor(const QString& hex) {
    pelta::testing::FakeWindow window;
    device::ControllerState state;
    device::ControllerReplyDecoder decoder{state, window, window, window};
    decoder.ReplyDecoder(protocol::Command::ReadState,
                         QByteArray::fromHex(hex.toLatin1()).toStdString());
    return window.Shown[QStringLiteral("Label7")];
}

TEST_F(EndToEnd, replyThatCameAfterItsWaitIsNeverTakenForTheNextOne) {
    SimRig rig({"--late-first", "1200"});  // far beyond the 200 ms reply wait
    rig.commands.Command5_Click();
    ASSERT_EQ(rig.SentLines(1).size(), 1) << "the late reply is on the line";
    rig.commands.Command5_Click();
    const QStringList sent = rig.SentLines(2);
    ASSERT_EQ(sent.size(), 2);
    const protocol::LinkCounters& counted = rig.monitor.LinkStatistics();
    EXPECT_EQ(std::tie(counted.Frames, counted.BadFrames, counted.NoAnswer),
              std::make_tuple(2, 0, 1))
        << "one missing reply, then one good";
    EXPECT_EQ(LastReceivedHex(rig.window.Text).toStdString(),
              SimRig::LoggedHex(sent[1]).toStdString());
    const std::string ownClock = ClockShownFor(SimRig::LoggedHex(sent[1])).toStdString();
    EXPECT_NE(ownClock, ClockShownFor(SimRig::LoggedHex(sent[0])).toStdString())
        << "the replies differ";
    EXPECT_EQ(rig.window.Shown["Label7"].toStdString(), ownClock);
    ExpectClosed(rig);
}

TEST_F(EndToEnd, sentEventCarriesExactlyTheTwoTwentyByteLines) {
    SimRig rig;
    rig.window.In["Text2(1)"] = QStringLiteral("это очень длинная вторая строка");
    rig.commands.Button168_Click();
    const QStringList received = rig.ReceivedLines(2);
    ASSERT_EQ(received.size(), 2) << received.join('\n').toStdString();
    EXPECT_TRUE(
        received[0].contains(QStringLiteral("rx 01 5A 64 00 0C 18 12 A8 70 B8 B3 65 BF 20")))
        << received[0].toStdString();
    EXPECT_EQ(SimRig::LoggedHex(received[0]).size(), 27 * 3 - 1);
    EXPECT_TRUE(received[1].contains(QStringLiteral("rx 01 5A 65 ")));
    EXPECT_EQ(SimRig::LoggedHex(received[1]).size(), 23 * 3 - 1);
    ExpectClean(rig, 2);
}

TEST_F(EndToEnd, misbehavingControllerIsCountedAndNothingBreaks) {
    const struct {
        QStringList simArgs;
        std::int32_t attempts;
        protocol::LinkCounters expected;  // one frame per try
    } cases[] = {{{"--silent"}, 1, {1, 0, 1}}, {{"--bad-crc"}, 1, {1, 1, 0}},
                 {{"--short"}, 1, {1, 1, 0}},  {{"--late", "600"}, 1, {1, 0, 1}},
                 {{"--silent"}, 3, {3, 0, 3}}, {{"--bad-crc"}, 3, {3, 3, 0}}};
    for (const auto& c : cases) {
        SimRig rig(c.simArgs);
        rig.settings.Attempts = c.attempts;
        rig.commands.Command5_Click();
        const protocol::LinkCounters& counted = rig.monitor.LinkStatistics();
        const std::string trace =
            c.simArgs.join(' ').toStdString() + " x" + std::to_string(c.attempts);
        EXPECT_EQ(std::tie(counted.Frames, counted.BadFrames, counted.NoAnswer),
                  std::tie(c.expected.Frames, c.expected.BadFrames, c.expected.NoAnswer))
            << trace;
        EXPECT_EQ(rig.ReceivedLines(c.attempts).size(), c.attempts) << trace;
        EXPECT_EQ(rig.window.Text.count(QStringLiteral(":Tx >-- 01 32 BE")), c.attempts) << trace;
        ExpectClosed(rig);
    }
}

// The simulator leaves no stale COM link behind, whether stopped or hanging up by itself.
TEST_F(EndToEnd, simulatorEndsCleanlyAndRemovesItsLinkOnSigtermOrHangup) {
    const struct {
        QStringList simArgs;
        protocol::LinkCounters expected;
    } cases[] = {{{}, {1, 0, 0}}, {{"--hangup-after", "1"}, {1, 0, 1}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.simArgs.join(' ').toStdString());
        SimRig rig(c.simArgs);
        const QString link =
            rig.runtime.filePath(QStringLiteral("pelta/serialcomm/") +
                                 QString(rig.window.In["cboPortText"]).remove(' '));
        ASSERT_TRUE(QFileInfo(link).isSymLink()) << link.toStdString();
        rig.commands.Command5_Click();
        if (c.simArgs.isEmpty()) {
            rig.sim.terminate();
        }
        // The hang-up may already have been seen during the refresh's event-loop wait.
        ASSERT_TRUE(rig.sim.state() == QProcess::NotRunning || rig.sim.waitForFinished(3000));
        EXPECT_EQ(rig.sim.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(rig.sim.exitCode(), 0);
        EXPECT_FALSE(QFileInfo(link).isSymLink());
        const protocol::LinkCounters& counted = rig.monitor.LinkStatistics();
        EXPECT_EQ(std::tie(counted.Frames, counted.BadFrames, counted.NoAnswer),
                  std::tie(c.expected.Frames, c.expected.BadFrames, c.expected.NoAnswer));
        ExpectClosed(rig);
    }
}

}  // namespace
}  // namespace pelta::e2e

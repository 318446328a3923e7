#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLocale>

#include "sim_rig.h"

namespace pelta::e2e {
namespace {

using Counted = std::tuple<int, int, int>;  // frames, bad frames, missing replies

struct EndToEnd : ::testing::Test {
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    // After every run: the port closed and shown closed.
    static void ExpectClosed(SimRig& rig) {
        EXPECT_EQ(rig.core.Channel().PortHandle, 0);
        EXPECT_TRUE(rig.window.Shown["LabelCOM"].endsWith(QStringLiteral(" = закрыт")));
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
        EXPECT_TRUE(rig.window.Writes.contains(QString::fromLatin1(write))) << write;
    }
    EXPECT_EQ(rig.Counted(), Counted(5, 0, 0));
    EXPECT_TRUE(rig.window.Messages.empty()) << rig.window.Messages[0].first.toStdString();
    EXPECT_EQ(rig.window.Shown.count(QStringLiteral("ErrorLog")), 0U);
    ExpectClosed(rig);
}

// Retries on the line itself; how many tries a missing or bad reply costs is the cycle's table.
// A reply that came after its wait (and is on the line at the next open) is counted missing.
// However it went, the simulator, stopped or hanging up by itself, leaves no stale COM link.
TEST_F(EndToEnd, misbehavingControllerIsCountedAndTheSimulatorRemovesItsLinkWhenItEnds) {
    // The simulator's arguments, the attempts, the refreshes, what they count (a frame a try).
    const std::tuple<QStringList, std::int32_t, int, Counted> cases[] = {
        {{}, 1, 1, {1, 0, 0}},
        {{"--silent"}, 3, 1, {3, 0, 3}},
        {{"--bad-crc"}, 1, 1, {1, 1, 0}},
        {{"--late", "600"}, 1, 1, {1, 0, 1}},
        {{"--late-first", "1200"}, 1, 2, {2, 0, 1}},  // far beyond the 200 ms wait
        {{"--hangup-after", "1"}, 1, 1, {1, 0, 1}}};
    for (const auto& [simArgs, attempts, refreshes, expected] : cases) {
        SCOPED_TRACE(simArgs.join(' ').toStdString());
        SimRig rig(simArgs);
        const QString link =
            rig.runtime.filePath(QStringLiteral("pelta/serialcomm/") +
                                 QString(rig.window.In["cboPortText"]).remove(' '));
        ASSERT_TRUE(QFileInfo(link).isSymLink()) << link.toStdString();
        rig.settings.Attempts = attempts;
        for (int refresh = 0; refresh < refreshes; ++refresh) {
            ASSERT_EQ(rig.SentLines(refresh).size(), refresh) << "the late reply is on the line";
            rig.commands.Command5_Click();
        }
        const int tries = attempts * refreshes;
        EXPECT_EQ(rig.Counted(), expected);
        EXPECT_EQ(rig.ReceivedLines(tries).size(), tries);
        ExpectClosed(rig);
        if (simArgs.value(0) != QStringLiteral("--hangup-after")) {
            rig.sim.terminate();
        }
        // The hang-up may already have been seen during the refresh's event-loop wait.
        ASSERT_TRUE(rig.sim.state() == QProcess::NotRunning || rig.sim.waitForFinished(3000));
        EXPECT_EQ(std::make_pair(rig.sim.exitStatus(), rig.sim.exitCode()),
                  std::make_pair(QProcess::NormalExit, 0));
        EXPECT_FALSE(QFileInfo(link).isSymLink());
    }
}

}  // namespace
}  // namespace pelta::e2e

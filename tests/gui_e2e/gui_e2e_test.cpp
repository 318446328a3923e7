// The real main window and the real core, driven with QTest, against pelta-sim on a
// pseudo-terminal: link settings, "Применить", measurements, "Обновить", settings page.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

#include "tests/support/run_program.h"
#include "tests/ui/form1_harness.h"

namespace pelta::e2e {
namespace {

using ui::testing::Form1Harness;

// The measurements page and "Обновить", then the settings page, which reads the settings.
TEST(WindowAgainstSim, showsTheSimulatorsMeasurementsFramesAndSettings) {
    // pelta-sim in a scratch runtime folder; its first line names the COM number it registered.
    QTemporaryDir scratch;
    QProcess sim;  // one that never starts says nothing: the announcement check tells
    sim.setEnvironment(QProcess::systemEnvironment() << "XDG_RUNTIME_DIR=" + scratch.path());
    sim.start(PELTA_SIM_PROGRAM, {});
    for (int i = 0; i < 50 && !sim.canReadLine(); ++i) {
        sim.waitForReadyRead(100);
    }
    const QString announce = QString::fromUtf8(sim.readLine()).trimmed();
    const auto match = QRegularExpression("^pelta-sim: COM(\\d+) -> ").match(announce);
    ASSERT_TRUE(match.hasMatch()) << "pelta-sim said: " << announce.toStdString();
    const QString port = "COM " + match.captured(1);
    Form1Harness harness(
        {.realPorts = link::SerialMapRoots{scratch.filePath("pelta/serialcomm").toStdString(),
                                           scratch.filePath("no-sysfs").toStdString(), "/dev"}});
    ASSERT_TRUE(harness.ShowActive());
    harness.Fill("cboPort=" + port + ", Text1_3=200");  // the simulator's port, a short wait
    QTest::mouseClick(harness.Find<QPushButton>("Command6"), Qt::LeftButton);

    harness.Click("Button162");
    QTest::mouseClick(harness.Find<QPushButton>("Command5"), Qt::LeftButton);
    const QString shownTime = harness.Find<QLabel>("Label7")->text();
    const QTime clock = QTime::fromString(shownTime, "hh:mm:ss");  // invalid: secsTo gives 0
    EXPECT_TRUE(clock.isValid() && std::abs(clock.secsTo(QTime::currentTime())) <= 5)
        << shownTime.toStdString();
    const QString monitor = harness.Find<QPlainTextEdit>("TextBox1")->toPlainText();
    EXPECT_TRUE(monitor.contains(": 3\t:Tx >-- 01 32 BE ")) << monitor.toStdString();
    harness.Click("Button163");  // no message from either read
    EXPECT_TRUE(harness.messages.empty()) << harness.messages[0].first.toStdString();
    // The decoder's texts are its own tests'; here that each reaches its control.
    EXPECT_EQ(
        harness.Shown("Label5 Label14_0 LabelCOM DateTime3_1 DateTime6_2 Combo1_0 Combo5 "
                      "Combo3 Check1_0 Check1_1"),
        ("Label5=Температура: 21,5 °C, Label14_0=Давление: 750,5 мм Рт, LabelCOM=COM " + port +
         " = закрыт, DateTime3_1=09:10, DateTime6_2=22:15, Combo1_0=Будни дни, "
         "Combo5=Расписанию, Combo3=Включать по датчику в темноте, Check1_0=true, "
         "Check1_1=false")
            .toStdString());
}

// The program run with no display in its environment: help needs none, the window says in one
// line that it has none, and Qt never gets to abort.
TEST(WindowProgram, answersHelpAndNamesAMissingDisplayBeforeQtStarts) {
    const struct {
        std::vector<std::string> Arguments;
        std::string Platform;  // QT_QPA_PLATFORM; empty counts as unset
        int ExitCode;
        std::string Output;  // the beginning of standard output, else of standard error
    } cases[] = {
        {{"--help"}, "", 0, "Использование: pelta"},
        {{}, "", 1, "pelta: нет дисплея для окна"},
        {{"--version"}, "", 0, "pelta "},
        {{"-h"}, "offscreen", 0, "Использование: pelta"},
    };
    for (const auto& c : cases) {
        const pelta::testing::ProgramRun run = pelta::testing::RunProgram(
            PELTA_WINDOW_PROGRAM, c.Arguments, "",
            {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", c.Platform}});
        const std::string& shown = c.ExitCode == 0 ? run.Out : run.Err;
        EXPECT_EQ(run.Code, c.ExitCode) << run.Err;
        EXPECT_EQ(shown.rfind(c.Output, 0), 0U) << run.Out << run.Err;
        EXPECT_EQ(c.ExitCode == 0 ? run.Err : run.Out + shown.substr(shown.find('\n') + 1), "")
            << "nothing else, one line";
    }
}

}  // namespace
}  // namespace pelta::e2e

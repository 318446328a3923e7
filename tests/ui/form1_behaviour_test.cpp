// What the main window's own handlers do: page switching, Button165, the weekday that follows
// DateTime1, separators, and closing.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "form1_harness.h"
#include "ui/button16.h"
#include "ui/date_time.h"

namespace pelta::ui::testing {
namespace {

QString PageShown(Form1Harness& harness) {
    QString shown;
    for (const char* name : {"ctlLine2", "ctlLine3", "ctlLine6", "ctlLine7"}) {
        shown += harness.Find<QWidget>(name)->isHidden() ? "" : name;
    }
    return shown;
}

TEST(Form1Pages, showOnlyThePageOfTheButtonClicked) {
    Form1Harness harness;
    EXPECT_EQ(PageShown(harness), "ctlLine2");
    harness.Find<QComboBox>("cboPort")->setCurrentIndex(0);
    harness.Find<QLineEdit>("Text1_3")->setText("0");  // no waiting for replies
    const std::pair<const char*, QString> cases[] = {
        {"Button162", "ctlLine3"}, {"Button164", "ctlLine7"}, {"Button163", "ctlLine6"},
        {"Button161", "ctlLine2"}, {"Button164", "ctlLine7"},
    };
    for (const auto& [button, page] : cases) {
        harness.Click(button);
        EXPECT_EQ(PageShown(harness), page) << button;
    }
}

TEST(Form1Clock, takesTheComputersDateWeekdayAndTimeOnButton165) {
    Form1Harness harness;
    auto* date = harness.Find<DateTime>("DateTime1");
    auto* time = harness.Find<DateTime>("DateTime2");
    date->SetText("01.01.01");
    time->SetLayout(1);
    harness.Click("Button165");
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_EQ(date->Text(), now.date().toString("dd.MM.yy"));
    EXPECT_EQ(harness.Find<QComboBox>("Combo2")->currentIndex(), now.date().dayOfWeek() % 7);
    EXPECT_EQ(time->Layout(), 2);
    const QTime shown = QTime::fromString(time->Text(), "hh:mm:ss");
    EXPECT_LE(std::abs(shown.secsTo(now.time())), 5) << time->Text().toStdString();
}

TEST(Form1Clock, choosesDateTime1sWeekdayWhenItLosesTheFocus) {
    Form1Harness harness;
    harness.Window().ShowPage(Page::ControllerSettings);
    harness.Window().show();
    QApplication::setActiveWindow(&harness.Window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&harness.Window()));
    auto* date = harness.Find<DateTime>("DateTime1");
    auto* weekdays = harness.Find<QComboBox>("Combo2");
    const std::pair<QString, int> cases[] = {
        // Sunday is 0; -1: a warning and the list unchanged.
        {"05.03.09", 4},  {"31.12.29", 1},  {"01.01.30", 3},  {"29.02.24", 4},
        {"29.02.23", -1}, {"00.00.00", -1}, {"05:03:09", -1},
    };
    for (const auto& [text, weekday] : cases) {
        SCOPED_TRACE(text.toStdString());
        weekdays->setCurrentIndex(1);
        harness.messages.clear();
        date->SetText(text);
        date->Field()->setFocus();
        harness.Find<QLineEdit>("Text3")->setFocus();
        EXPECT_EQ(weekdays->currentIndex(), weekday < 0 ? 1 : weekday);
        ASSERT_EQ(harness.messages.size(), weekday < 0 ? 1U : 0U);
    }
}

TEST(Form1Separators, leaveTheirClicksToTheControlsBeneath) {
    Form1Harness harness;
    harness.Window().ShowPage(Page::TimedEvent);
    harness.Window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&harness.Window()));
    // The separator crosses the event check box's row, 3000 twips across.
    const QPoint crossing =
        harness.Find<QWidget>("ctlLine8")->mapTo(&harness.Window(), QPoint(80, 1));
    EXPECT_EQ(harness.Window().childAt(crossing), harness.Find<QCheckBox>("Check2"));
}

// Closing during an exchange with a minute-long reply time-out: the window is gone and the port
// closed at once, and the exchange ends without reading. (Nested runs: the poll cycle's tests.)
TEST(Form1Closing, cutsAnExchangesWaitShortAndClosesThePortAtOnce) {
    Form1Harness harness;
    harness.Find<QComboBox>("cboPort")->setCurrentIndex(0);
    harness.Find<QLineEdit>("Text1_3")->setText("60000");
    harness.Window().show();
    QElapsedTimer sinceClose;
    QTimer::singleShot(50, &harness.Window(), [&] {
        sinceClose.start();
        EXPECT_TRUE(harness.Window().close());
        EXPECT_FALSE(harness.Window().isVisible());
        EXPECT_EQ(harness.App().Channel().PortHandle, 0);
    });
    harness.Find<QPushButton>("Command5")->click();
    EXPECT_LT(sinceClose.elapsed(), 5000) << "the minute-long wait was cut short";
    EXPECT_EQ(harness.Port().OpenHandleCount(), 0);
    EXPECT_TRUE(harness.messages.empty());
    EXPECT_EQ(harness.Port().Calls.back(), "CloseHandle") << "nothing read after the close";
}

}  // namespace
}  // namespace pelta::ui::testing

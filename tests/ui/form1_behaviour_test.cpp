// What the main window's own handlers do: page switching, separators, the clock fields, closing,
// and the keyboard: Tab and Shift+Tab around the toolbar, the page shown, the monitor and Command7.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include "form1_harness.h"
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

// Each page button shows its page alone; on the event page a separator crossing the check box's
// row (3000 twips across) leaves its clicks to the check box beneath.
TEST(Form1Pages, showOnlyThePageOfTheButtonClickedAndLetClicksThroughTheirSeparators) {
    Form1Harness harness;
    EXPECT_EQ(PageShown(harness), "ctlLine2");
    harness.Fill("cboPort=COM 1, Text1_3=0");  // no waiting for replies
    const std::pair<const char*, QString> cases[] = {
        {"Button162", "ctlLine3"}, {"Button164", "ctlLine7"}, {"Button163", "ctlLine6"},
        {"Button161", "ctlLine2"}, {"Button164", "ctlLine7"},
    };
    for (const auto& [button, page] : cases) {
        harness.Click(button);
        EXPECT_EQ(PageShown(harness), page) << button;
    }
    ASSERT_TRUE(harness.ShowActive());
    const QPoint crossing =
        harness.Find<QWidget>("ctlLine8")->mapTo(&harness.Window(), QPoint(80, 1));
    EXPECT_EQ(harness.Window().childAt(crossing), harness.Find<QCheckBox>("Check2"));
}

// The date and time fields on the computer's clock.
void ExpectComputersClock(Form1Harness& harness) {
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_EQ(harness.Find<DateTime>("DateTime1")->Text(), now.date().toString("dd.MM.yy"));
    const auto* time = harness.Find<DateTime>("DateTime2");
    EXPECT_EQ(time->Layout(), 2);
    const QTime shown = QTime::fromString(time->Text(), "hh:mm:ss");  // invalid: secsTo gives 0
    EXPECT_TRUE(shown.isValid() && std::abs(shown.secsTo(now.time())) <= 5)
        << time->Text().toStdString();
}

// Then DateTime1's weekday is chosen when the field loses the focus.
TEST(Form1Clock, startsOnTheComputersClockTakesItOnButton165AndFollowsDateTime1sWeekday) {
    Form1Harness harness;
    ExpectComputersClock(harness);
    auto* date = harness.Find<DateTime>("DateTime1");
    auto* weekdays = harness.Find<QComboBox>("Combo2");
    date->SetText("01.01.01");
    harness.Find<DateTime>("DateTime2")->SetLayout(1);
    harness.Click("Button165");
    ExpectComputersClock(harness);
    EXPECT_EQ(weekdays->currentIndex(), QDate::currentDate().dayOfWeek() % 7);

    harness.Window().ShowPage(Page::ControllerSettings);
    ASSERT_TRUE(harness.ShowActive());
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

// Closing during an exchange with a minute-long reply time-out: the window is gone and the port
// closed at once, and the exchange ends without reading. (Nested runs: the poll cycle's tests.)
TEST(Form1Closing, cutsAnExchangesWaitShortAndClosesThePortAtOnce) {
    Form1Harness harness;
    harness.Fill("cboPort=COM 1, Text1_3=60000");
    harness.Window().show();
    QElapsedTimer sinceClose;
    QTimer::singleShot(50, &harness.Window(), [&] {
        sinceClose.start();
        EXPECT_TRUE(harness.Window().close());
        EXPECT_EQ(harness.App().Channel().PortHandle, 0);
    });
    harness.Find<QPushButton>("Command5")->click();
    EXPECT_LT(sinceClose.elapsed(), 5000) << "the minute-long wait was cut short";
    EXPECT_TRUE(harness.messages.empty());
    EXPECT_EQ(harness.Port().Calls.back(), "CloseHandle") << "nothing read after the close";
}

// The control the focus is in, by its window name (a masked field's inner edit counts as the
// field, an editable list's edit as the list).
QString FocusedControl() {
    for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_")) {
            return w->objectName();
        }
    }
    return "(none)";
}

QStringList WalkRing(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    const QString start = FocusedControl();
    QStringList ring{start};
    for (int step = 0; step < 60; ++step) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        if (FocusedControl() == start) {
            return ring;
        }
        ring << FocusedControl();
    }
    return ring << "... no way back";
}

// And Space, Enter and keypad Enter press the focused push button.
TEST(Form1Keyboard, walksEachPageInReadingOrderOnTabAndBackwardsOnShiftTabAndPressesButtons) {
    const QString toolbar = "Button161 Button162 Button163 Button164 ";
    const QString below = " TextBox1 Command7";
    const std::pair<Page, QString> pages[] = {
        {Page::LinkSettings,
         "cboPort cboSpeed cboDataBits cmbHandShake cboParity cboStopBits CmdDefault_0 Text1_2 "
         "Text1_3 Text1_4 Command6"},
        {Page::Measurements, "Command5"},
        {Page::ControllerSettings,
         "Button165 DateTime1 DateTime2 Combo2 Button166 Text3 Check4 "
         "Check1_0 DateTime3_0 Combo1_0 Button167_0 Check1_1 DateTime3_1 Combo1_1 Button167_1 "
         "Combo3 DateTime6_0 DateTime6_1 Button169 Combo4 Combo5 DateTime6_2 DateTime6_3 "
         "Button1610 Check3"},
        {Page::TimedEvent, "Check2 Text2_0 Text2_1 DateTime4 DateTime5 Button168"},
    };
    Form1Harness harness;
    ASSERT_TRUE(harness.ShowActive());
    for (const auto& [page, controls] : pages) {
        SCOPED_TRACE(controls.toStdString());
        harness.Window().ShowPage(page);
        harness.Find<Button16>("Button161")->setFocus(Qt::TabFocusReason);
        const QStringList forwards = WalkRing(Qt::Key_Tab, Qt::NoModifier);
        EXPECT_EQ(forwards.join(' ').toStdString(), (toolbar + controls + below).toStdString());
        QStringList backwards = WalkRing(Qt::Key_Backtab, Qt::ShiftModifier);
        std::reverse(backwards.begin() + 1, backwards.end());
        EXPECT_EQ(backwards.join(' ').toStdString(), forwards.join(' ').toStdString());
    }
    harness.Window().ShowPage(Page::Measurements);
    auto* button = harness.Find<QPushButton>("Command5");  // no port chosen: it says so
    button->setFocus(Qt::TabFocusReason);
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Space, Qt::NoModifier}, {Qt::Key_Return, {}}, {Qt::Key_Enter, Qt::KeypadModifier}};
    for (const auto& [key, modifiers] : keys) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        harness.messages.clear();
        QTest::keyClick(button, key, modifiers);
        ASSERT_EQ(harness.messages.size(), 1U);
        EXPECT_EQ(harness.messages[0].first, "Не выбран порт!");
    }
}

}  // namespace
}  // namespace pelta::ui::testing

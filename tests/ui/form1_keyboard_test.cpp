// The window without a mouse: Tab walks the toolbar, the page shown in reading order, the
// monitor and Command7, and Shift+Tab walks the same ring backwards; Space, Enter and keypad
// Enter press the focused push button.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "form1_harness.h"
#include "ui/button16.h"

namespace pelta::ui::testing {
namespace {

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

TEST(Form1Keyboard, walksEachPageInReadingOrderOnTabAndBackwardsOnShiftTab) {
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
    harness.Window().show();
    QApplication::setActiveWindow(&harness.Window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&harness.Window()));
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
}

TEST(Form1Keyboard, pressesTheFocusedPushButtonOnSpaceEnterOrKeypadEnter) {
    Form1Harness harness;  // no port chosen: "Обновить" says so
    harness.Window().show();
    harness.Window().ShowPage(Page::Measurements);
    auto* button = harness.Find<QPushButton>("Command5");
    button->setFocus(Qt::TabFocusReason);
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Space, Qt::NoModifier},
        {Qt::Key_Return, Qt::NoModifier},
        {Qt::Key_Enter, Qt::KeypadModifier},
    };
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

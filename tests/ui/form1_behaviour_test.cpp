// What the main window's own handlers do: page switching, the port guard, "Применить",
// Button165, the weekday that follows DateTime1, reading through the real core, and closing.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "device/settings_commands.h"
#include "form1_harness.h"
#include "protocol/frame.h"
#include "ui/button16.h"
#include "ui/ctl_line.h"
#include "ui/date_time.h"

namespace pelta::ui::testing {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values) {
        bytes.push_back(static_cast<char>(v));
    }
    return bytes;
}

// Reply to the state read: 5 March 2009 14:07:00, 20 and -10 degrees, 45 %, 750.5.
std::string StateReply() {
    return protocol::WithCrc(Bytes(
        {1, 0x32, 0xBE, 5, 3, 9, 14, 7, 0, 0x2C, 0x01, 0x00, 0x00, 45, 0x2A, 0x25, 0x01, 0x00, 0}));
}

// Reply to the settings read: alarm 1 07:30 weekdays on, alarm 2 06:45 every day off, screen
// "Включать по:" 22:05-06:00 by sensor, lunar scrolling on, night light by sensor 21:00-07:30.
std::string SettingsReply() {
    return protocol::WithCrc(Bytes(
        {1, 0x32, 0xBF, 7, 30, 8, 0, 255, 6, 45, 10, 3, 22, 255, 5, 6, 0, 255, 1, 21, 0, 7, 30}));
}

void Click(Button16* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, 8));
}

QString PageShown(Form1Harness& harness) {
    for (const char* name : {"ctlLine2", "ctlLine3", "ctlLine6", "ctlLine7"}) {
        if (!harness.Find<ctlLine>(name)->isHidden()) {
            return QString::fromLatin1(name);
        }
    }
    return {};
}

// The reply time-out of the exchanges below: no waiting.
void NoWaiting(Form1Harness& harness) {
    harness.Find<QLineEdit>("Text1_3")->setText("0");
}

TEST(Form1Pages, startsOnTheLinkSettingsPage) {
    Form1Harness harness;
    EXPECT_EQ(PageShown(harness), "ctlLine2");
    EXPECT_EQ(harness.Window().CurrentPage(), Page::LinkSettings);
}

struct PageCase {
    const char* button;
    const char* page;
};

TEST(Form1Pages, eachPageButtonShowsItsPageAndHidesTheOthers) {
    Form1Harness harness;
    harness.ChoosePort("COM 3");
    NoWaiting(harness);
    const PageCase cases[] = {
        {"Button162", "ctlLine3"}, {"Button164", "ctlLine7"}, {"Button163", "ctlLine6"},
        {"Button161", "ctlLine2"}, {"Button164", "ctlLine7"},
    };
    for (const PageCase& c : cases) {
        Click(harness.Find<Button16>(c.button));
        EXPECT_EQ(PageShown(harness), c.page) << c.button;
    }
}

struct GuardCase {
    const char* name;
    std::function<void(Form1Harness&)> press;
};

TEST(Form1Guards, withNoPortChosenReadingShowsNoPortAndTouchesNothing) {
    const GuardCase cases[] = {
        {"Button163", [](Form1Harness& h) { Click(h.Find<Button16>("Button163")); }},
        {"Command5", [](Form1Harness& h) { h.Find<QPushButton>("Command5")->click(); }},
    };
    for (const GuardCase& c : cases) {
        Form1Harness harness;
        harness.Window().ShowPage(Page::Measurements);
        c.press(harness);
        ASSERT_EQ(harness.Messages().size(), 1U) << c.name;
        EXPECT_EQ(harness.Messages()[0].text, QString::fromUtf8(device::kNoPortChosen)) << c.name;
        EXPECT_EQ(harness.Messages()[0].icon, link::MessageIcon::None) << c.name;
        EXPECT_EQ(PageShown(harness), "ctlLine3") << c.name;
        EXPECT_TRUE(harness.Port().Calls.empty()) << c.name;
        EXPECT_TRUE(harness.Find<QPlainTextEdit>("TextBox1")->toPlainText().isEmpty()) << c.name;
    }
}

TEST(Form1Guards, noPortFoundStillGuardsTheExchanges) {
    Form1Harness harness(WithPorts({}));
    harness.Find<QPushButton>("Command5")->click();
    ASSERT_EQ(harness.Messages().size(), 1U);
    EXPECT_EQ(harness.Messages()[0].text, QString::fromUtf8(device::kNoPortChosen));
    EXPECT_TRUE(harness.Port().Calls.empty());
}

TEST(Form1Exchange, refreshReadsTheMeasurementsThroughTheChosenPort) {
    Form1Harness harness;
    harness.ChoosePort("COM 12");
    NoWaiting(harness);
    harness.Port().QueueInbound(StateReply());
    harness.Find<QPushButton>("Command5")->click();

    EXPECT_TRUE(harness.Messages().empty());
    ASSERT_FALSE(harness.Port().Calls.empty());
    EXPECT_EQ(harness.Port().Calls.front(), "CreateFile \\\\.\\COM12");
    EXPECT_EQ(harness.Port().Written, Bytes({1, 0x32, 0xBE}));
    EXPECT_EQ(harness.Port().OpenHandleCount(), 0) << "the port is closed after the exchange";
    EXPECT_EQ(harness.Find<QLabel>("LabelCOM")->text(), "COM COM 12 = закрыт");
    EXPECT_EQ(harness.Find<QLabel>("Label6")->text(), "Влажность: 45%");
    EXPECT_EQ(harness.Find<QLabel>("Label7")->text(), "14:07:00");
    const QString monitor = harness.Find<QPlainTextEdit>("TextBox1")->toPlainText();
    EXPECT_TRUE(monitor.contains(":Tx >-- 01 32 BE ")) << monitor.toStdString();
    EXPECT_TRUE(monitor.contains("\t:Rx <-- 01 32 BE 05 03 09 0E 07 00 2C 01"))
        << monitor.toStdString();
    EXPECT_TRUE(harness.Find<QLabel>("Label2_0")->text().startsWith("Состояние связи: успешно"));
    EXPECT_TRUE(harness.Find<QLabel>("Label1")->text().startsWith("Всего символов: "));
}

TEST(Form1Exchange, openingTheSettingsPageReadsTheSettingsIntoItsControls) {
    Form1Harness harness;
    harness.ChoosePort("COM 3");
    NoWaiting(harness);
    harness.Port().QueueInbound(SettingsReply());
    Click(harness.Find<Button16>("Button163"));

    EXPECT_TRUE(harness.Messages().empty());
    EXPECT_EQ(PageShown(harness), "ctlLine6");
    struct Shown {
        const char* name;
        QString text;
    };
    const Shown fields[] = {
        {"DateTime3_0", "07:30"}, {"DateTime3_1", "06:45"}, {"DateTime6_2", "22:05"},
        {"DateTime6_3", "06:00"}, {"DateTime6_0", "21:00"}, {"DateTime6_1", "07:30"},
    };
    for (const Shown& f : fields) {
        EXPECT_EQ(harness.Find<DateTime>(f.name)->Text(), f.text) << f.name;
    }
    const Shown lists[] = {
        {"Combo1_0", "Будни дни"},
        {"Combo1_1", "Все дни"},
        {"Combo4", "Включать по:"},
        {"Combo5", "Датчику"},
        {"Combo3", "Включать по датчику в темноте"},
    };
    for (const Shown& l : lists) {
        EXPECT_EQ(harness.Find<QComboBox>(l.name)->currentText(), l.text) << l.name;
    }
    EXPECT_TRUE(harness.Find<QCheckBox>("Check1_0")->isChecked());
    EXPECT_FALSE(harness.Find<QCheckBox>("Check1_1")->isChecked());
    EXPECT_TRUE(harness.Find<QCheckBox>("Check3")->isChecked());
}

TEST(Form1Exchange, sendButtonsStageTheirControls) {
    Form1Harness harness;
    harness.ChoosePort("COM 1");
    NoWaiting(harness);
    harness.Find<QCheckBox>("Check1_1")->setChecked(true);
    harness.Find<QComboBox>("Combo1_1")->setCurrentIndex(9);
    harness.Find<DateTime>("DateTime3_1")->SetText("07:05");
    Click(harness.Find<Button16>("Button167_1"));
    EXPECT_TRUE(harness.Messages().empty());
    const device::ControllerState& state = harness.App().State();
    EXPECT_EQ(state.DayCode, "10");
    EXPECT_EQ(state.OnOffCode, "0");
    EXPECT_EQ(state.AlarmHour, "7");
    EXPECT_EQ(state.AlarmMinute, "5");
    EXPECT_FALSE(harness.Port().Written.empty());
}

TEST(Form1LinkSettings, applyStoresTheChosenPortsLineParametersAndTheAddress) {
    Form1Harness harness;
    const int position = harness.ChoosePort("COM 12");
    harness.Find<QComboBox>("cboSpeed")->setCurrentIndex(7);
    harness.Find<QComboBox>("cboStopBits")->setCurrentIndex(2);
    harness.Find<QLineEdit>("Text1_2")->setText("17");
    harness.Find<QPushButton>("Command6")->click();

    EXPECT_TRUE(harness.Messages().empty());
    EXPECT_EQ(harness.App().LinkSettings().ControllerAddress, 17);
    const link::LinkSettings entry =
        harness.App().LinkSettings().EntryFor(static_cast<std::int16_t>(position));
    EXPECT_EQ(entry.Speed, 7);
    EXPECT_EQ(entry.StopBits, 2);
    EXPECT_EQ(entry.DataBits, 4);
    EXPECT_EQ(entry.PortCaption, "COM 12");
}

TEST(Form1LinkSettings, applyWithABadAddressIsRefusedWithAMessage) {
    Form1Harness harness;
    harness.ChoosePort("COM 3");
    harness.Find<QLineEdit>("Text1_2")->setText("abc");
    harness.Find<QPushButton>("Command6")->click();
    EXPECT_EQ(harness.Messages().size(), 1U);
    EXPECT_EQ(harness.App().LinkSettings().ControllerAddress, 1);
}

TEST(Form1Clock, button165CopiesTheComputersDateWeekdayAndTime) {
    Form1Harness harness;
    auto* date = harness.Find<DateTime>("DateTime1");
    auto* time = harness.Find<DateTime>("DateTime2");
    date->SetText("01.01.01");
    time->SetLayout(1);
    Click(harness.Find<Button16>("Button165"));

    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_EQ(date->Text(), now.date().toString("dd.MM.yy"));
    EXPECT_EQ(harness.Find<QComboBox>("Combo2")->currentIndex(), now.date().dayOfWeek() % 7);
    EXPECT_EQ(time->Layout(), 2);
    const QTime shown = QTime::fromString(time->Text(), "hh:mm:ss");
    ASSERT_TRUE(shown.isValid());
    EXPECT_LE(std::abs(shown.secsTo(now.time())), 5);
}

struct WeekdayCase {
    QString date;
    int weekday;  // Sunday 0; -1: a warning, the list unchanged
};

TEST(Form1Clock, leavingDateTime1ChoosesItsWeekday) {
    Form1Harness harness;
    harness.Window().ShowPage(Page::ControllerSettings);
    harness.Window().show();
    QApplication::setActiveWindow(&harness.Window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&harness.Window()));
    auto* date = harness.Find<DateTime>("DateTime1");
    auto* weekdays = harness.Find<QComboBox>("Combo2");
    const WeekdayCase cases[] = {
        {"05.03.09", 4},   // Thursday
        {"01.01.00", 6},   // 2000 was a leap year starting on a Saturday
        {"31.12.99", 5},   // 1999, not 2099
        {"29.02.24", 4},   // leap day
        {"31.02.24", -1},  // no such day
        {"00.00.00", -1},  // the bare mask
    };
    for (const WeekdayCase& c : cases) {
        weekdays->setCurrentIndex(1);
        harness.ClearMessages();
        date->SetText(c.date);
        date->Field()->setFocus();
        harness.Find<QLineEdit>("Text3")->setFocus();
        if (c.weekday < 0) {
            EXPECT_EQ(weekdays->currentIndex(), 1) << c.date.toStdString();
            ASSERT_EQ(harness.Messages().size(), 1U) << c.date.toStdString();
            EXPECT_EQ(harness.Messages()[0].icon, link::MessageIcon::Exclamation);
        } else {
            EXPECT_EQ(weekdays->currentIndex(), c.weekday) << c.date.toStdString();
            EXPECT_TRUE(harness.Messages().empty()) << c.date.toStdString();
        }
    }
    harness.Window().hide();
}

TEST(Form1Event, separatorsLeaveTheirClicksToTheControlsBeneath) {
    Form1Harness harness;
    harness.Window().ShowPage(Page::TimedEvent);
    harness.Window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&harness.Window()));
    // The separator crosses the event check box's row, 3000 twips across.
    auto* separator = harness.Find<QWidget>("ctlLine8");
    const QPoint crossing = separator->mapTo(&harness.Window(), QPoint(80, 1));
    EXPECT_EQ(harness.Window().childAt(crossing), harness.Find<QCheckBox>("Check2"));
}

TEST(Form1Closing, closesAnOpenPortAndNothingWhenNoneIsOpen) {
    for (bool open : {true, false}) {
        Form1Harness harness;
        if (open) {
            harness.App().Channel().OpenPort(3);
            ASSERT_TRUE(harness.App().Channel().IsOpen());
        }
        harness.Port().ClearLog();
        EXPECT_TRUE(harness.Window().close());
        EXPECT_EQ(harness.Port().OpenHandleCount(), 0) << "open: " << open;
        EXPECT_EQ(harness.Port().Calls.size(), open ? 1U : 0U) << "open: " << open;
        EXPECT_TRUE(harness.Messages().empty()) << "open: " << open;
    }
}

TEST(Form1Closing, closingDuringAnExchangeWaitsForItToEndThenCloses) {
    Form1Harness harness;
    harness.ChoosePort("COM 3");
    harness.Find<QLineEdit>("Text1_3")->setText("200");
    harness.Window().show();
    bool closedDuringExchange = true;
    QTimer::singleShot(50, &harness.Window(), [&] {
        closedDuringExchange = harness.Window().close();
        EXPECT_TRUE(harness.App().Channel().IsOpen()) << "the running exchange keeps its port";
    });
    harness.Find<QPushButton>("Command5")->click();

    EXPECT_FALSE(closedDuringExchange);
    EXPECT_EQ(harness.Port().OpenHandleCount(), 0);
    EXPECT_TRUE(harness.Messages().empty()) << harness.Messages()[0].text.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !harness.Window().isVisible(); }, 1000));
}

}  // namespace
}  // namespace pelta::ui::testing

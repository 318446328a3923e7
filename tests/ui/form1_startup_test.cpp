// Start-up of the main window: every list and default, with and without ports, and with a
// picture missing.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QTime>

#include "form1_harness.h"
#include "link/link_settings.h"
#include "ui/button16.h"
#include "ui/date_time.h"

namespace pelta::ui::testing {
namespace {

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

const QStringList kDays = {"Воскресенье", "Понедельник", "Вторник",   "Среда",    "Четверг",
                           "Пятница",     "Субота",      "Будни дни", "Выходные", "Все дни"};

struct ListCase {
    const char* name;
    QStringList items;
    int selected;
    QString shown;
};

// The lists that do not depend on the ports found.
std::vector<ListCase> FixedLists() {
    const link::PropertyLists property = link::LinkSettingsModel::LoadPropertySettings();
    return {
        {"cboSpeed", {"300", "600", "1200", "2400", "4800", "9600", "14400", "19200"}, 5, "9600"},
        {"cmbHandShake", {"None", "XOn/XOff", "RTS/CTS", "Both"}, 0, "None"},
        {"cboDataBits", {"4", "5", "6", "7", "8"}, 4, "8"},
        {"cboParity",
         {"Even", "Odd", "None", "Mark", "Space"},
         property.ParityPosition,
         property.Parity.value(property.ParityPosition)},
        {"cboStopBits", {"1", "1.5", "2"}, 0, "1"},
        {"Combo1_0", kDays, -1, ""},
        {"Combo1_1", kDays, -1, ""},
        {"Combo4",
         {"Всегда включен", "Всегда отключен", "Включать по:", "Отключать по:"},
         -1,
         "Combo4"},
        {"Combo5", {"Расписанию", "Датчику"}, -1, "Combo5"},
        {"Combo3",
         {"Включать по датчику в темноте", "Отключена всегда", "Включать по расписанию"},
         -1,
         "Combo3"},
    };
}

void ExpectFixedListsFilled(Form1Harness& harness) {
    for (const ListCase& list : FixedLists()) {
        const auto* combo = harness.Find<QComboBox>(list.name);
        ASSERT_NE(combo, nullptr) << list.name;
        EXPECT_EQ(Items(combo), list.items) << list.name;
        EXPECT_EQ(combo->currentIndex(), list.selected) << list.name;
        EXPECT_EQ(combo->currentText(), list.shown) << list.name;
    }
}

struct TextCase {
    const char* name;
    QString text;
};

void ExpectDefaultTexts(Form1Harness& harness) {
    const TextCase texts[] = {
        {"Text1_2", "1"}, {"Text1_3", "1000"},  {"Text1_4", "1"},
        {"Text3", "-1"},  {"Text2_0", "Text2"}, {"Text2_1", "Text2"},
    };
    for (const TextCase& t : texts) {
        EXPECT_EQ(harness.Find<QLineEdit>(t.name)->text(), t.text) << t.name;
    }
}

struct FieldCase {
    const char* name;
    int layout;
    QString text;  // empty: checked separately
};

void ExpectMaskedFields(Form1Harness& harness) {
    const FieldCase fields[] = {
        {"DateTime1", 0, QDate::currentDate().toString("dd.MM.yy")},
        {"DateTime4", 0, "00.00.00"},
        {"DateTime5", 1, "00:00"},
        {"DateTime3_0", 1, "00:00"},
        {"DateTime3_1", 1, "00:00"},
        {"DateTime6_0", 1, "00:00"},
        {"DateTime6_1", 1, "00:00"},
        {"DateTime6_2", 1, "00:00"},
        {"DateTime6_3", 1, "00:00"},
    };
    for (const FieldCase& f : fields) {
        const auto* field = harness.Find<DateTime>(f.name);
        ASSERT_NE(field, nullptr) << f.name;
        EXPECT_EQ(field->Layout(), f.layout) << f.name;
        EXPECT_EQ(field->Text(), f.text) << f.name;
    }
    const auto* time = harness.Find<DateTime>("DateTime2");
    EXPECT_EQ(time->Layout(), 2);
    const QTime shown = QTime::fromString(time->Text(), "hh:mm:ss");
    ASSERT_TRUE(shown.isValid()) << time->Text().toStdString();
    EXPECT_LE(std::abs(shown.secsTo(QTime::currentTime())), 5);
}

class Form1StartUp : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(Form1StartUp, fillsEveryListAndDefaultWithPortsListedAsText) {
    Form1Harness harness;
    EXPECT_TRUE(harness.Messages().empty());
    ExpectFixedListsFilled(harness);
    ExpectDefaultTexts(harness);
    ExpectMaskedFields(harness);

    const auto* ports = harness.Find<QComboBox>("cboPort");
    EXPECT_EQ(Items(ports), (QStringList{"COM 1", "COM 12", "COM 3"}));
    EXPECT_EQ(ports->currentIndex(), -1) << "start-up chooses no port";
    EXPECT_EQ(ports->currentText(), "");
}

TEST_F(Form1StartUp, weekdaysFollowTheLocaleSundayFirstWithNoneChosen) {
    Form1Harness harness;
    const auto* weekdays = harness.Find<QComboBox>("Combo2");
    EXPECT_EQ(Items(weekdays), (QStringList{"воскресенье", "понедельник", "вторник", "среда",
                                            "четверг", "пятница", "суббота"}));
    EXPECT_EQ(weekdays->currentIndex(), -1);
}

TEST_F(Form1StartUp, fillsTheReplyLengthTable) {
    Form1Harness harness;
    const std::int16_t expected[] = {22, 3, 3, 3, 25, 3, 3, 3, 0, 0, 0, 0, 0, 0};
    for (std::int16_t command = 1; command <= 14; ++command) {
        EXPECT_EQ(harness.App().Cycle().ExpectedReplyLength(command), expected[command - 1])
            << "command " << command;
    }
}

TEST_F(Form1StartUp, noPortFoundLeavesOnlyThePortListEmpty) {
    Form1Harness harness(WithPorts({}));
    EXPECT_TRUE(harness.Messages().empty()) << "an empty port list is not a failure";
    EXPECT_EQ(harness.Find<QComboBox>("cboPort")->count(), 0);
    ExpectFixedListsFilled(harness);
    ExpectDefaultTexts(harness);
    ExpectMaskedFields(harness);
}

std::vector<const char*> ButtonsOf(const QString& file) {
    if (file == "button_ok.bmp") {
        return {"Button166", "Button167_0", "Button167_1", "Button169", "Button1610"};
    }
    if (file == "connect_established.bmp") {
        return {"Button161"};
    }
    if (file == "CLOCK.bmp") {
        return {"Button162"};
    }
    if (file == "configure.bmp") {
        return {"Button163"};
    }
    return {"Button164"};
}

TEST_F(Form1StartUp, givesEachButtonItsPictureAndLeavesTwoWithFramesOnly) {
    Form1Harness harness;
    for (const QString& file : kPictureFiles) {
        for (const char* name : ButtonsOf(file)) {
            const QImage picture = harness.Find<Button16>(name)->Picture();
            EXPECT_FALSE(picture.isNull()) << name;
            EXPECT_EQ(picture.pixelColor(3, 3), QColor(0, 0, 160)) << name;
        }
    }
    EXPECT_TRUE(harness.Find<Button16>("Button165")->Picture().isNull());
    EXPECT_TRUE(harness.Find<Button16>("Button168")->Picture().isNull());
}

struct MissingCase {
    QStringList missing;
};

TEST_F(Form1StartUp, aMissingPictureIsNamedOnceAndStartUpGoesOn) {
    const MissingCase cases[] = {
        {{"button_ok.bmp"}},
        {{"CLOCK.bmp", "kdevelop_down.bmp"}},
        {kPictureFiles},
    };
    for (const MissingCase& c : cases) {
        SCOPED_TRACE(c.missing.join(", ").toStdString());
        Form1Harness harness(WithoutPictures(c.missing));
        ASSERT_EQ(harness.Messages().size(), 1U);
        const RecordedMessage& warning = harness.Messages().front();
        EXPECT_EQ(warning.icon, link::MessageIcon::Exclamation);
        for (const QString& file : kPictureFiles) {
            EXPECT_EQ(warning.text.contains(file), c.missing.contains(file)) << file.toStdString();
            for (const char* name : ButtonsOf(file)) {
                EXPECT_EQ(harness.Find<Button16>(name)->Picture().isNull(),
                          c.missing.contains(file))
                    << name;
            }
        }
        ExpectFixedListsFilled(harness);
        ExpectMaskedFields(harness);
        EXPECT_EQ(harness.Find<QComboBox>("cboPort")->count(), 3);
    }
}

TEST_F(Form1StartUp, anUnreadablePictureCountsAsMissing) {
    Form1Harness harness(WithoutPictures({"CLOCK.bmp"}, false));
    QFile bad(harness.Folder() + "/pictures/CLOCK.bmp");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a bitmap");
    bad.close();
    harness.App().Start();
    ASSERT_EQ(harness.Messages().size(), 1U);
    EXPECT_TRUE(harness.Messages().front().text.contains("CLOCK.bmp"));
    EXPECT_TRUE(harness.Find<Button16>("Button162")->Picture().isNull());
}

}  // namespace
}  // namespace pelta::ui::testing

// What the window remembers between runs: "Применить" and closing write it, the next start
// restores it as if applied, a damaged file gives defaults, and "По умолчанию" shows the
// start-up defaults without applying them.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "form1_harness.h"

namespace pelta::ui::testing {
namespace {

const char* const kLinkFields[] = {"cboPort",   "cboSpeed",    "cboDataBits",
                                   "cboParity", "cboStopBits", "cmbHandShake",
                                   "Text1_2",   "Text1_3",     "Text1_4"};

// The link page as "name=value, ..." texts, in kLinkFields' order.
QString LinkPage(Form1Harness& harness) {
    QStringList shown;
    for (const char* name : kLinkFields) {
        const auto* list = harness.Find<QComboBox>(name);
        shown << QString("%1=%2").arg(
            name, list ? list->currentText() : harness.Find<QLineEdit>(name)->text());
    }
    return shown.join(", ");
}

// Fills the link page from "name=value, ..." texts (lists by their item text).
void Fill(Form1Harness& harness, const QString& fields) {
    for (const QString& field : fields.split(", ", Qt::SkipEmptyParts)) {
        const QString name = field.section('=', 0, 0);
        const QString value = field.section('=', 1);
        if (auto* list = harness.Find<QComboBox>(qPrintable(name))) {
            list->setCurrentIndex(list->findText(value));
            EXPECT_EQ(list->currentText(), value);
        } else if (auto* text = harness.Find<QLineEdit>(qPrintable(name))) {
            text->setText(value);
        } else {
            ADD_FAILURE() << "no field " << name.toStdString();
        }
    }
}

// The line values "Обновить" gives the chosen port: "SetCommState speed bits parity stop; ".
std::string RefreshLine(Form1Harness& harness) {
    harness.Port().ClearLog();
    harness.Find<QPushButton>("Command5")->click();
    std::string seen;
    for (const std::string& call : harness.Port().Calls) {
        if (call.rfind("SetCommState", 0) == 0) {
            seen += call + "; ";
        }
    }
    return seen;
}

TEST(Form1Remembered, restoresWhatApplyAndClosingSavedAsIfApplied) {
    QTemporaryDir config;
    const QString path = config.filePath("pelta/pelta.conf");
    const QString com12 =
        "cboPort=COM 12, cboSpeed=19200, cboDataBits=7, cboParity=Odd, cboStopBits=2, "
        "cmbHandShake=RTS/CTS, Text1_2=7, Text1_3=20, Text1_4=3";
    {
        Form1Harness first({.rememberedPath = path});
        Fill(first, "cboPort=COM 1, cboSpeed=1200");
        first.Find<QPushButton>("Command6")->click();
        Fill(first, com12);
        first.Window().move(40, 30);
        first.Find<QPushButton>("Command6")->click();
        EXPECT_EQ(first.App().LinkSettings().Attempts, 3) << "taken on Применить";
        first.Window().move(45, 35);
        first.Window().close();
        EXPECT_TRUE(first.messages.empty());
    }
    Form1Harness second({.rememberedPath = path});
    EXPECT_TRUE(second.messages.empty());
    EXPECT_EQ(LinkPage(second), com12);
    EXPECT_EQ(second.Window().pos(), QPoint(45, 35)) << "the position at closing";
    EXPECT_EQ(second.App().LinkSettings().ControllerAddress, 7);
    // No "Применить" in this run: each remembered port is configured as it was applied.
    EXPECT_EQ(RefreshLine(second), "SetCommState 19200 7 1 2; ");
    Fill(second, "cboPort=COM 1");
    EXPECT_EQ(RefreshLine(second), "SetCommState 1200 8 0 0; ");
    EXPECT_TRUE(second.messages.empty());

    // "По умолчанию": the start-up defaults shown, the port kept, nothing applied or written.
    const QByteArray saved = Contents(path);
    second.Find<QPushButton>("CmdDefault_0")->click();
    Form1Harness expected;
    Fill(expected, "cboPort=COM 1");
    EXPECT_EQ(LinkPage(second), LinkPage(expected));
    EXPECT_EQ(second.App().LinkSettings().ControllerAddress, 7);
    Fill(second, "Text1_3=20");  // read at each exchange, not applied: a short wait
    EXPECT_EQ(RefreshLine(second), "SetCommState 1200 8 0 0; ");
    EXPECT_EQ(Contents(path), saved);
}

// The file's own checks (a garbled one included) are the link tests'; here what the window
// makes of their results.
TEST(Form1Remembered, fallsBackToDefaultsOnlyForAnAbsentPortOrNonsenseValues) {
    const std::pair<QByteArray, QString> cases[] = {
        // the file, and the fields that differ from a start without one
        {"[link]\nport=7\naddress=9\nreplyTimeout=30\nattempts=2\n[ports]\n7\\speed=1200\n",
         "Text1_2=9, Text1_3=30, Text1_4=2"},
        {"[link]\nport=3\nreplyTimeout=600000\n[ports]\n3\\speed=12345\n3\\dataBits=7\n"
         "[window]\nx=zz\ny=10\n",
         "cboPort=COM 3, cboDataBits=7"},
    };
    for (const auto& [file, differs] : cases) {
        SCOPED_TRACE(differs.toStdString());
        QTemporaryDir config;
        ASSERT_TRUE(WriteFile(config.filePath("pelta.conf"), file));
        Form1Harness harness({.rememberedPath = config.filePath("pelta.conf")});
        EXPECT_TRUE(harness.messages.empty());
        Form1Harness expected;
        Fill(expected, differs);
        EXPECT_EQ(LinkPage(harness), LinkPage(expected));
        EXPECT_EQ(harness.Window().pos(), expected.Window().pos());
        // What the page shows is what the next exchange uses, port remembered or not.
        const link::LinkSettingsModel& inForce = harness.App().LinkSettings();
        EXPECT_EQ(QString::number(inForce.ControllerAddress),
                  harness.Find<QLineEdit>("Text1_2")->text());
        EXPECT_EQ(QString::number(inForce.Attempts), harness.Find<QLineEdit>("Text1_4")->text());
    }
}

// A reply time-out every exchange would refuse is neither applied nor remembered (checked with
// the address and the attempts); a file that cannot be written is named, the settings applied.
TEST(Form1Remembered, refusesABadReplyTimeOutAndNamesAnUnwritableFileOnApply) {
    QTemporaryDir config;
    QFile(config.filePath("pelta")).open(QIODevice::WriteOnly);  // a file where a folder should be
    const struct {
        QString path, fields, message;
        int address;
    } cases[] = {
        {config.filePath("pelta.conf"), "Text1_3=abc",
         "Таймаут ожидания ответа должен быть целым числом миллисекунд от 1 до 60000", 1},
        {config.filePath("pelta/pelta.conf"), "Text1_3=20",
         "Настройки применены, но не сохранены в " + config.filePath("pelta/pelta.conf"), 5},
    };
    for (const auto& c : cases) {
        Form1Harness harness({.rememberedPath = c.path});
        Fill(harness, "cboPort=COM 3, Text1_2=5, " + c.fields);
        harness.Find<QPushButton>("Command6")->click();
        ASSERT_EQ(harness.messages.size(), 1U);
        EXPECT_EQ(harness.messages[0].first, c.message);
        EXPECT_EQ(harness.App().LinkSettings().ControllerAddress, c.address);
        EXPECT_FALSE(QFile::exists(c.path));
    }
}

}  // namespace
}  // namespace pelta::ui::testing

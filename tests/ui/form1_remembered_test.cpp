// What the window remembers between runs: "Применить" and closing write it, the next start
// restores it as if applied, and "По умолчанию" shows the start-up defaults without applying
// them. And the port list, which keeps the chosen port and its settings when re-read.

#include <gtest/gtest.h>

#include <QPushButton>

#include "form1_harness.h"

namespace pelta::ui::testing {
namespace {

const QString kLinkFields =
    "cboPort cboSpeed cboDataBits cboParity cboStopBits cmbHandShake Text1_2 Text1_3 Text1_4";

// The line values "Обновить" gives the chosen port: "SetCommState speed bits parity stop; ".
std::string RefreshLine(Form1Harness& harness) {
    harness.Port().ClearLog();
    harness.Find<QPushButton>("Command5")->click();
    std::string seen;
    for (const std::string& call : harness.Port().Calls) {
        seen += call.rfind("SetCommState", 0) == 0 ? call + "; " : "";
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
        first.Fill("cboPort=COM 1, cboSpeed=1200");
        first.Find<QPushButton>("Command6")->click();
        first.Fill(com12);
        first.Window().move(40, 30);
        first.Find<QPushButton>("Command6")->click();
        EXPECT_EQ(first.App().LinkSettings().Attempts, 3) << "taken on Применить";
        first.Window().move(45, 35);
        first.Window().close();
        EXPECT_TRUE(first.messages.empty());
    }
    Form1Harness second({.rememberedPath = path});
    EXPECT_EQ(second.Shown(kLinkFields), com12.toStdString());
    EXPECT_EQ(second.Window().pos(), QPoint(45, 35)) << "the position at closing";
    // No "Применить" in this run: each remembered port is configured as it was applied.
    EXPECT_EQ(RefreshLine(second), "SetCommState 19200 7 1 2; ");
    second.Fill("cboPort=COM 1");
    EXPECT_EQ(RefreshLine(second), "SetCommState 1200 8 0 0; ");
    EXPECT_TRUE(second.messages.empty());

    // "По умолчанию": the start-up defaults shown, the port kept, nothing applied or written.
    const QByteArray saved = Contents(path);
    second.Find<QPushButton>("CmdDefault_0")->click();
    Form1Harness expected;
    expected.Fill("cboPort=COM 1");
    EXPECT_EQ(second.Shown(kLinkFields), expected.Shown(kLinkFields));
    EXPECT_EQ(second.App().LinkSettings().ControllerAddress, 7);
    second.Fill("Text1_3=20");  // read at each exchange, not applied: a short wait
    EXPECT_EQ(RefreshLine(second), "SetCommState 1200 8 0 0; ");
    second.Fill("Text1_3=abc");  // refused on "Применить": not remembered either
    second.Find<QPushButton>("Command6")->click();
    EXPECT_EQ(second.messages.size(), 1U);
    EXPECT_EQ(Contents(path), saved);
}

// An absent port leaves the lists at their defaults, yet the address and attempts shown are
// in force. (Nonsense values falling back are the link tests'.) Then a file that cannot be
// written is named, and the settings are applied all the same.
TEST(Form1Remembered, keepsTheAddressInForceWhenItsPortIsAbsentAndNamesAnUnwritableFile) {
    QTemporaryDir config;
    const QString path = config.filePath("pelta.conf");
    ASSERT_TRUE(WriteFile(path,
                          "[link]\nport=7\naddress=9\nreplyTimeout=30\nattempts=2\n"
                          "[ports]\n7\\speed=1200\n"));
    Form1Harness harness({.rememberedPath = path});
    EXPECT_TRUE(harness.messages.empty());
    Form1Harness expected;
    expected.Fill("Text1_2=9, Text1_3=30, Text1_4=2");
    EXPECT_EQ(harness.Shown(kLinkFields), expected.Shown(kLinkFields));
    EXPECT_EQ(harness.App().LinkSettings().ControllerAddress, 9);
    EXPECT_EQ(harness.App().LinkSettings().Attempts, 2);

    ASSERT_TRUE(QFile::remove(path) && QDir().mkdir(path));  // a folder where the file should be
    harness.Fill("cboPort=COM 3, Text1_2=5");
    harness.Find<QPushButton>("Command6")->click();
    ASSERT_EQ(harness.messages.size(), 1U);
    EXPECT_EQ(harness.messages[0].first, "Настройки применены, но не сохранены в " + path);
    EXPECT_EQ(harness.App().LinkSettings().ControllerAddress, 5);
}

// Opening the list re-reads the ports: new ones appear (a network port given a number in
// ports.conf too), vanished ones leave, each entry's tooltip names its device or URL, the chosen
// port and its applied settings stay with its COM number, and nothing else on the page moves.
TEST(PortList, rereadsThePortsWhenOpenedAndKeepsTheChosenPortWithItsSettings) {
    Form1Harness harness;  // COM 1, COM 12, COM 3
    harness.Fill("cboPort=COM 3, cboSpeed=19200");
    harness.Find<QPushButton>("Command6")->click();
    harness.Fill("cboSpeed=1200, Text1_2=9, Text1_3=0");  // changed, not applied
    const std::string page = harness.Shown(kLinkFields);
    const QString map = harness.MapFolder();
    ASSERT_TRUE(QFile::link(harness.Terminal(), map + "/COM2"));
    ASSERT_TRUE(QFile::remove(map + "/COM12"));
    ASSERT_TRUE(WriteFile(harness.PortsFile(), "COM20 rfc2217://127.0.0.1:4001\n"));
    auto* ports = harness.Find<QComboBox>("cboPort");
    ports->showPopup();
    ports->hidePopup();

    QStringList shown;
    for (int i = 0; i < ports->count(); ++i) {
        shown << ports->itemText(i) + " " + ports->itemData(i, Qt::ToolTipRole).toString();
    }
    const QString pty = harness.Terminal();
    EXPECT_EQ(shown, QStringList({"COM 1 " + pty, "COM 2 " + pty, "COM 20 rfc2217://127.0.0.1:4001",
                                  "COM 3 " + pty}));
    EXPECT_EQ(harness.Shown(kLinkFields), page);
    EXPECT_EQ(RefreshLine(harness), "SetCommState 19200 8 0 0; ");
}

}  // namespace
}  // namespace pelta::ui::testing

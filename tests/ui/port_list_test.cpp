// Opening the port list re-reads the ports: new ones appear (a network port given a number in
// ports.conf too), vanished ones leave, each entry's tooltip names its device or URL, the chosen
// port and its applied settings stay with its COM number, and nothing else on the page moves.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "form1_harness.h"
#include "link/link_settings.h"

namespace pelta::ui::testing {
namespace {

TEST(PortList, rereadsThePortsWhenOpenedAndKeepsTheChosenPortWithItsSettings) {
    Form1Harness harness;  // COM 1, COM 12, COM 3
    auto* ports = harness.Find<QComboBox>("cboPort");
    auto* speed = harness.Find<QComboBox>("cboSpeed");
    auto* address = harness.Find<QLineEdit>("Text1_2");
    ports->setCurrentIndex(2);
    speed->setCurrentIndex(7);
    harness.Find<QPushButton>("Command6")->click();  // COM 3 runs at 19200
    speed->setCurrentIndex(2);                       // changed, not applied
    address->setText("9");

    const QString map = harness.MapFolder();
    ASSERT_TRUE(QFile::link("/dev/null", map + "/COM2"));
    ASSERT_TRUE(QFile::remove(map + "/COM12"));
    QFile conf(harness.PortsFile());
    ASSERT_TRUE(conf.open(QIODevice::Append));
    conf.write("COM20 rfc2217://127.0.0.1:4001\n");
    conf.close();
    ports->showPopup();
    ports->hidePopup();

    EXPECT_EQ(Items(ports), QStringList({"COM 1", "COM 2", "COM 20", "COM 3"}));
    const QStringList tips = {"/dev/null", "/dev/null", "rfc2217://127.0.0.1:4001", "/dev/null"};
    for (int i = 0; i < ports->count(); ++i) {
        EXPECT_EQ(ports->itemData(i, Qt::ToolTipRole).toString(), tips[i]) << i;
    }
    EXPECT_EQ(ports->currentText(), "COM 3");
    EXPECT_EQ(speed->currentIndex(), 2);
    EXPECT_EQ(address->text(), "9");
    harness.Find<QLineEdit>("Text1_3")->setText("0");  // no waiting for replies
    harness.Window().ShowPage(Page::Measurements);
    harness.Port().ClearLog();
    harness.Find<QPushButton>("Command5")->click();
    ASSERT_GE(harness.Port().Calls.size(), 3U);
    EXPECT_EQ(harness.Port().Calls[2], "SetCommState 19200 8 0 0");
}

}  // namespace
}  // namespace pelta::ui::testing

// The link settings page: the port, its line parameters, the controller address and the
// reply time-out, confirmed with "Применить".

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "link/link_settings.h"
#include "ui/ctl_line.h"
#include "ui/form1_pages.h"

namespace pelta::ui {

LinkPageControls BuildLinkPage(QWidget* form) {
    LinkPageControls c;
    c.ctlLine2 = MakeLineControl(form, "ctlLine2", kPageBox);
    QWidget* page = c.ctlLine2;
    c.Label11 = MakeLabel(page, "Label11", QStringLiteral("Порт:"), {120, 285, 495, 315});
    c.cboPort = MakePortList(page, "cboPort", {1200, 240, 1545, 315});
    c.Label12 = MakeLabel(page, "Label12", QStringLiteral("Скорость"), {3240, 285, 855, 255});
    c.cboSpeed = MakeList(page, "cboSpeed", {4200, 240, 1500, 315});
    c.Label10 = MakeLabel(page, "Label10", QStringLiteral("Бит данных:"), {120, 765, 1065, 285});
    c.cboDataBits = MakeList(page, "cboDataBits", {1200, 720, 1545, 315});
    c.Label13 = MakeLabel(page, "Label13", QStringLiteral("HandShake"), {3240, 765, 1695, 255});
    c.cmbHandShake = MakeList(page, "cmbHandShake", {4200, 720, 1500, 315});
    c.Label9 = MakeLabel(page, "Label9", QStringLiteral("Parity:"), {120, 1245, 615, 285});
    c.cboParity = MakeList(page, "cboParity", {1200, 1200, 1545, 315});
    c.Label8 = MakeLabel(page, "Label8", QStringLiteral("Стоп бит:"), {3240, 1245, 885, 255});
    c.cboStopBits = MakeList(page, "cboStopBits", {4200, 1200, 1500, 315});
    c.CmdDefault[0] = MakePushButton(page, "CmdDefault_0", QStringLiteral("По умолчанию"),
                                     {4200, 1680, 1455, 285});
    c.Label2[2] = MakeLabel(page, "Label2_2", QStringLiteral("Адрес"), {120, 2160, 1935, 255});
    c.Text1[2] = MakeTextBox(page, "Text1_2", {2520, 2160, 3255, 285}, QStringLiteral("1"));
    c.Label2[3] = MakeLabel(page, "Label2_3", QStringLiteral("Таймаут ожидания ответа,мс\n"),
                            {120, 2520, 2895, 255});
    c.Text1[3] = MakeTextBox(page, "Text1_3", {2520, 2520, 3255, 285}, QStringLiteral("1000"));
    c.Label2[4] =
        MakeLabel(page, "Label2_4", QStringLiteral("Количество попыток"), {120, 2880, 2295, 255});
    c.Text1[4] = MakeTextBox(page, "Text1_4", {2520, 2880, 3255, 285}, QStringLiteral("1"));
    c.Command6 =
        MakePushButton(page, "Command6", QStringLiteral("Применить"), {4080, 3480, 1695, 375});
    // The handshake list comes with the window; start-up only selects its first entry.
    c.cmbHandShake->addItems(link::HandShakeEntries());
    c.cmbHandShake->setCurrentIndex(-1);
    return c;
}

}  // namespace pelta::ui

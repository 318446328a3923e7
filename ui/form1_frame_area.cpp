// The toolbar of page buttons above the pages, and the port state, traffic monitor and
// status lines below them.

#include <QFont>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/button16.h"
#include "ui/ctl_line.h"
#include "ui/form1_pages.h"

namespace pelta::ui {

ToolbarControls BuildToolbar(QWidget* form) {
    ToolbarControls c;
    c.ctlLine1 = MakeLineControl(form, "ctlLine1", {0, 0, 6015, 495});
    c.Button161 = MakeImageButton(c.ctlLine1, "Button161", 120, 120);
    c.Button162 = MakeImageButton(c.ctlLine1, "Button162", 600, 120);
    c.Button163 = MakeImageButton(c.ctlLine1, "Button163", 1080, 120);
    c.Button164 = MakeImageButton(c.ctlLine1, "Button164", 1560, 120);
    c.Button161->SetToolTip(QStringLiteral("Настройки связи"));
    c.Button162->SetToolTip(QStringLiteral("Измерения"));
    c.Button163->SetToolTip(QStringLiteral("Настройки контроллера"));
    c.Button164->SetToolTip(QStringLiteral("Событие"));
    return c;
}

StatusControls BuildStatusArea(QWidget* form) {
    StatusControls c;
    c.LabelCOM = MakeLabel(form, "LabelCOM", QString(), {0, 4800, 6135, 255});
    c.TextBox1 = new QPlainTextEdit(form);
    c.TextBox1->setObjectName(QStringLiteral("TextBox1"));
    PlaceInTwips(c.TextBox1, {0, 5160, 6015, 1935});
    c.TextBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.TextBox1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The monitor records what went over the line; typing into it would falsify the record.
    c.TextBox1->setReadOnly(true);
    c.TextBox1->setTabChangesFocus(true);  // a keyboard user can leave the monitor again
    c.Label1 = MakeLabel(form, "Label1", QString(), {0, 7200, 6375, 255});
    c.Label2_0 = MakeLabel(form, "Label2_0", QString(), {0, 7440, 6375, 255});
    // The statistics lines run longer than the window is wide in the window's own font.
    QFont narrow(QStringLiteral("Arial Narrow"));
    narrow.setPointSizeF(8.25);
    c.Label1->setFont(narrow);
    c.Label2_0->setFont(narrow);
    // Outside the client area: it cannot be clicked, but Tab still reaches it.
    c.Command7 =
        MakePushButton(form, "Command7", QStringLiteral("Command7"), {9360, 5880, 1455, 375});
    return c;
}

}  // namespace pelta::ui

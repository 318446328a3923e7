// The timed event page: on/off, two lines of text and the start date and time.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "ui/button16.h"
#include "ui/ctl_line.h"
#include "ui/date_time.h"
#include "ui/form1_pages.h"

namespace pelta::ui {

EventPageControls BuildEventPage(QWidget* form) {
    EventPageControls c;
    c.ctlLine7 = MakeLineControl(form, "ctlLine7", kPageBox);
    QWidget* page = c.ctlLine7;
    c.Check2 = MakeCheckBox(page, "Check2", QStringLiteral("Событие №1"), {240, 360, 5295, 255});
    c.ctlLine8 = MakeLineControl(page, "ctlLine8", {1800, 480, 3855, 30});
    c.Label18[0] = MakeLabel(page, "Label18_0", QStringLiteral("1-я строка (20 символов)"),
                             {120, 720, 2175, 255});
    c.Text2[0] = MakeTextBox(page, "Text2_0", {2160, 720, 3495, 285}, QStringLiteral("Text2"));
    c.Label18[1] = MakeLabel(page, "Label18_1", QStringLiteral("2-я строка (20 символов)"),
                             {120, 960, 2175, 255});
    c.Text2[1] = MakeTextBox(page, "Text2_1", {2160, 960, 3495, 285}, QStringLiteral("Text2"));
    c.Label19 =
        MakeLabel(page, "Label19", QStringLiteral("Время запуска события"), {120, 1320, 1935, 255});
    c.DateTime4 = MakeDateTime(page, "DateTime4", {2160, 1320, 1455, 285});
    c.DateTime5 = MakeDateTime(page, "DateTime5", {3480, 1320, 1335, 285});
    c.Button168 = MakeImageButton(page, "Button168", 5040, 1320);
    c.Button168->SetToolTip(QStringLiteral("Записать событие"));
    return c;
}

}  // namespace pelta::ui

// The controller settings page: clock, correction and season change; two alarm rows; the
// night-light and screen schedules; lunar-calendar scrolling.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

#include "ui/button16.h"
#include "ui/ctl_line.h"
#include "ui/date_time.h"
#include "ui/form1_pages.h"

namespace pelta::ui {

namespace {

// These fields were laid out as dates on the window background colour, the colour of text
// fields (not the form's grey, which made them look disabled); start-up then gives them their
// time layout.
void GiveStoredLook(DateTime* field) {
    field->SetLayout(DateTime::DateShort);
    field->SetBackColor(QApplication::palette().color(QPalette::Base));
}

void BuildClockRows(QWidget* page, SettingsPageControls& c) {
    c.Label20[0] =
        MakeLabel(page, "Label20_0", QStringLiteral("Дата / Время"), {240, 240, 1935, 255});
    c.Button165 = MakeImageButton(page, "Button165", 1680, 240);
    c.Button165->SetToolTip(QStringLiteral("Дата и время компьютера"));
    c.DateTime1 = MakeDateTime(page, "DateTime1", {2040, 240, 1575, 285});
    c.DateTime2 = MakeDateTime(page, "DateTime2", {3600, 240, 1335, 285});
    c.Combo2 = MakeList(page, "Combo2", {2040, 600, 2895, 315});
    c.Button166 = MakeImageButton(page, "Button166", 5160, 600);
    c.Label20[1] = MakeLabel(page, "Label20_1", QStringLiteral("Коррекция времени (+/- 30 sek)"),
                             {240, 960, 2415, 255});
    c.Text3 = MakeTextBox(page, "Text3", {2760, 960, 375, 285}, QStringLiteral("-1"));
    c.Check4 =
        MakeCheckBox(page, "Check4", QStringLiteral("Смена сезонов"), {3360, 960, 1695, 195});
    c.ctlLine9 = MakeLineControl(page, "ctlLine9", {120, 1320, 5775, 30});
}

void BuildAlarmRows(QWidget* page, SettingsPageControls& c) {
    static constexpr const char* kCheck[] = {"Check1_0", "Check1_1"};
    static constexpr const char* kTime[] = {"DateTime3_0", "DateTime3_1"};
    static constexpr const char* kDays[] = {"Combo1_0", "Combo1_1"};
    static constexpr const char* kSend[] = {"Button167_0", "Button167_1"};
    for (int i = 0; i < 2; ++i) {
        const int top = 1440 + 360 * i;
        c.Check1[i] = MakeCheckBox(page, kCheck[i], QStringLiteral("Будильник №%1").arg(i + 1),
                                   {360, top, 2055, 255});
        c.DateTime3[i] = MakeDateTime(page, kTime[i], {2160, top, 1575, 285});
        // Wider than laid out (up to the send button) so "Понедельник" is not cut.
        c.Combo1[i] = MakeList(page, kDays[i], {3720, top, 1500, 315});
        c.Button167[i] = MakeImageButton(page, kSend[i], 5280, top);
        c.Button167[i]->SetToolTip(QStringLiteral("Записать будильник №%1").arg(i + 1));
    }
    GiveStoredLook(c.DateTime3[1]);
    c.ctlLine10 = MakeLineControl(page, "ctlLine10", {120, 2160, 5775, 30});
}

void BuildNightLightRow(QWidget* page, SettingsPageControls& c) {
    c.Label21 =
        MakeLabel(page, "Label21", QStringLiteral("Подсветка( Ночник)"), {360, 2280, 1515, 195});
    c.Combo3 = MakeEditableCombo(page, "Combo3", {2160, 2280, 2895, 315}, QStringLiteral("Combo3"));
    c.DateTime6[0] = MakeDateTime(page, "DateTime6_0", {2160, 2640, 1095, 285});
    c.Line1[0] = MakeHorizontalLine(page, "Line1_0", 3360, 3840, 2760);
    c.DateTime6[1] = MakeDateTime(page, "DateTime6_1", {3960, 2640, 1095, 285});
    c.Button169 = MakeImageButton(page, "Button169", 5280, 2520);
    c.ctlLine11 = MakeLineControl(page, "ctlLine11", {120, 3000, 5775, 30});
}

void BuildScreenRow(QWidget* page, SettingsPageControls& c) {
    c.Label22 = MakeLabel(page, "Label22", QStringLiteral("Экран"), {240, 3120, 1815, 255});
    c.Combo4 = MakeEditableCombo(page, "Combo4", {960, 3120, 1935, 315}, QStringLiteral("Combo4"));
    c.Combo5 = MakeEditableCombo(page, "Combo5", {3120, 3120, 1815, 315}, QStringLiteral("Combo5"));
    c.DateTime6[2] = MakeDateTime(page, "DateTime6_2", {1200, 3480, 1095, 285});
    c.Line1[1] = MakeHorizontalLine(page, "Line1_1", 2400, 2880, 3600);
    c.DateTime6[3] = MakeDateTime(page, "DateTime6_3", {3000, 3480, 1095, 285});
    c.Button1610 = MakeImageButton(page, "Button1610", 5280, 3480);
    c.Check3 = MakeCheckBox(page, "Check3", QStringLiteral("Прокручивать лунный календарь"),
                            {240, 3740, 3375, 195});
    for (DateTime* field : c.DateTime6) {
        GiveStoredLook(field);
    }
}

}  // namespace

SettingsPageControls BuildSettingsPage(QWidget* form) {
    SettingsPageControls c;
    c.ctlLine6 = MakeLineControl(form, "ctlLine6", kPageBox);
    BuildClockRows(c.ctlLine6, c);
    BuildAlarmRows(c.ctlLine6, c);
    BuildNightLightRow(c.ctlLine6, c);
    BuildScreenRow(c.ctlLine6, c);
    return c;
}

}  // namespace pelta::ui

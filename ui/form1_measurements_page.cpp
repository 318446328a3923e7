// The measurements page: the controller's date, time and clock drift, the indoor and outdoor
// groups, and "Обновить". The captions are placeholders until the first reading.

#include <QFont>
#include <QLabel>
#include <QPushButton>

#include "ui/ctl_line.h"
#include "ui/form1_pages.h"

namespace pelta::ui {

namespace {

// Two value labels share a group's row. The right-hand one starts a little left of where its
// placeholder was, so that the longest values of both ("Температура: -30,5 °C" and
// "Давление: 1013,25 мм Рт" in bold 12 pt) fit between the group's edges.
constexpr TwipsBox kLeftValue{120, 360, 2610, 285};
constexpr TwipsBox kRightValue{2730, 360, 3000, 285};

QFont BoldFont(const char* family, double points) {
    QFont font(QString::fromLatin1(family));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QLabel* MakeValueLabel(QWidget* parent, const char* name, const QString& caption,
                       const TwipsBox& box, const QFont& font,
                       Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
    QLabel* label = MakeLabel(parent, name, caption, box, alignment);
    label->setFont(font);
    return label;
}

// A group title sits on the frame's top edge and hides the line behind it.
QLabel* MakeGroupTitle(QWidget* group, const char* name, const QString& caption,
                       const TwipsBox& box) {
    QLabel* title = MakeValueLabel(group, name, caption, box, BoldFont("MS Sans Serif", 9.75));
    title->setAutoFillBackground(true);
    return title;
}

}  // namespace

MeasurementsPageControls BuildMeasurementsPage(QWidget* form) {
    MeasurementsPageControls c;
    c.ctlLine3 = MakeLineControl(form, "ctlLine3", kPageBox);
    QWidget* page = c.ctlLine3;
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignTop;
    c.Label3 = MakeValueLabel(page, "Label3", QStringLiteral("Дата"), {60, 240, 5895, 360},
                              BoldFont("MS Sans Serif", 13.5), centred);
    c.Label7 = MakeValueLabel(page, "Label7", QStringLiteral("Время"), {105, 720, 5790, 435},
                              BoldFont("MS Sans Serif", 18), centred);
    // The value labels reach to the next control: the decoded texts are much longer than the
    // placeholders they replace and would otherwise be cut off.
    c.Label4 = MakeValueLabel(page, "Label4", QStringLiteral("Уход  часов"), {120, 1200, 5775, 240},
                              BoldFont("Arial Narrow", 9));

    const QFont value = BoldFont("Arial", 12);
    c.ctlLine4 = MakeLineControl(page, "ctlLine4", {120, 1440, 5775, 975});
    c.Label16 = MakeGroupTitle(c.ctlLine4, "Label16", QStringLiteral("ДОМ"), {240, 0, 495, 240});
    c.Label5 =
        MakeValueLabel(c.ctlLine4, "Label5", QStringLiteral("Температура"), kLeftValue, value);
    c.Label6 =
        MakeValueLabel(c.ctlLine4, "Label6", QStringLiteral("Влажность"), kRightValue, value);

    c.ctlLine5 = MakeLineControl(page, "ctlLine5", {120, 2520, 5775, 975});
    c.Label17 = MakeGroupTitle(c.ctlLine5, "Label17", QStringLiteral("Улица"), {240, 0, 690, 240});
    c.Label15[0] =
        MakeValueLabel(c.ctlLine5, "Label15_0", QStringLiteral("Температура "), kLeftValue, value);
    c.Label14[0] =
        MakeValueLabel(c.ctlLine5, "Label14_0", QStringLiteral("Давление"), kRightValue, value);

    c.Command5 =
        MakePushButton(page, "Command5", QStringLiteral("Обновить"), {3240, 3600, 2295, 375});
    return c;
}

}  // namespace pelta::ui

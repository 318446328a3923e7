// How the window looks: the masked fields' background and font, and no caption, value or list
// item cut by its control. Run once as is (96 dpi) and once more with QT_SCALE_FACTOR=2, where
// the fonts are unhinted and a little wider.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <cmath>

#include "form1_harness.h"
#include "ui/date_time.h"

namespace pelta::ui::testing {
namespace {

// What a control needs against what it has, as "name: needs WxH, has WxH" when it is short.
QString Shortfall(const QWidget* control, const QString& text, QSizeF needs, QSize has) {
    if (std::ceil(needs.width()) <= has.width() && std::ceil(needs.height()) <= has.height()) {
        return {};
    }
    return QStringLiteral("%1 \"%2\": needs %3x%4, has %5x%6")
        .arg(control->objectName(), text)
        .arg(needs.width())
        .arg(needs.height())
        .arg(has.width())
        .arg(has.height());
}

QString LabelShortfall(const QLabel* label, const QString& text) {
    const QFontMetricsF metrics(label->font(), label);
    // A trailing line break adds an empty line, which shows nothing when cut.
    const QRectF needs = metrics.boundingRect(QRectF(label->contentsRect()),
                                              int(label->alignment()), text.trimmed());
    return Shortfall(label, text, needs.size(), label->contentsRect().size());
}

QString CheckBoxShortfall(const QCheckBox* check) {
    QStyleOptionButton option;
    option.initFrom(check);
    option.text = check->text();
    const QRect textArea =
        check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check);
    const QRect indicator =
        check->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, check);
    const QFontMetricsF metrics(check->font(), check);
    const QString text = Shortfall(check, check->text(),
                                   {metrics.horizontalAdvance(check->text()), metrics.height()},
                                   textArea.intersected(check->rect()).size());
    return text +
           Shortfall(check, "(box)", indicator.size(), indicator.intersected(check->rect()).size());
}

// The item is drawn in the edit area less a pixel each side.
QString ComboShortfall(const QComboBox* combo, const QString& item) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.frame = true;
    const QRect area = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, combo);
    const QFontMetricsF metrics(combo->font(), combo);
    return Shortfall(combo, item, {metrics.horizontalAdvance(item) + 2, metrics.height()},
                     area.size());
}

class Form1Looks : public ::testing::Test {
  protected:
    Form1Looks() {
        harness.Window().show();
        for (const char* page : {"ctlLine2", "ctlLine3", "ctlLine6", "ctlLine7"}) {
            harness.Find<QWidget>(page)->show();
        }
    }
    Form1Harness harness;
};

TEST_F(Form1Looks, noCaptionValueOrListItemIsCutByItsControl) {
    const double scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
    ASSERT_EQ(harness.Window().devicePixelRatioF(), scale)
        << "runs at the scale it was started for";
    // The longest values the decoder writes over the placeholders.
    const std::pair<const char*, QString> values[] = {
        {"Label3", "30 сентября 2026"},
        {"Label7", "23:59:59"},
        {"Label4", "Уход часов: - 999 ч. 59 мин. 59 сек"},
        {"Label5", "Температура: -30,5 °C"},
        {"Label15_0", "Температура: -30,5 °C"},
        {"Label6", "Влажность: 100%"},
        {"Label14_0", "Давление: 1013,25 мм Рт"},
    };
    QStringList cut;
    for (const auto& [name, text] : values) {
        cut << LabelShortfall(harness.Find<QLabel>(name), text);
    }
    for (const QLabel* label : harness.Window().findChildren<QLabel*>()) {
        cut << LabelShortfall(label, label->text());
    }
    for (const QCheckBox* check : harness.Window().findChildren<QCheckBox*>()) {
        cut << CheckBoxShortfall(check);
    }
    for (const QComboBox* combo : harness.Window().findChildren<QComboBox*>()) {
        if (combo->isEditable()) {
            cut << ComboShortfall(combo, combo->currentText());
        }
        for (int i = 0; i < combo->count(); ++i) {
            cut << ComboShortfall(combo, combo->itemText(i));
        }
    }
    cut.removeAll(QString());
    EXPECT_TRUE(cut.isEmpty()) << cut.join('\n').toStdString();
}

TEST_F(Form1Looks, maskedFieldsShowTheWindowsFontOnTheirOwnBackground) {
    const QPalette palette = QApplication::palette();
    const QFontInfo windowFont(harness.Window().font());
    // Alarm 2 and the schedule on the text-field background; the others highlighted.
    const QString onBase = "DateTime3_1 DateTime6_0 DateTime6_1 DateTime6_2 DateTime6_3";
    ASSERT_NE(palette.color(QPalette::Base), palette.color(QPalette::Window));
    const QList<DateTime*> fields = harness.Window().findChildren<DateTime*>();
    ASSERT_EQ(fields.size(), 10);
    for (const DateTime* field : fields) {
        const std::string name = field->objectName().toStdString();
        const bool base = onBase.split(' ').contains(field->objectName());
        EXPECT_EQ(field->BackColor(),
                  palette.color(base ? QPalette::Base : QPalette::HighlightedText))
            << name;
        const QFontInfo shown(field->Field()->font());
        EXPECT_EQ(shown.family(), windowFont.family()) << name;
        EXPECT_EQ(shown.pointSizeF(), windowFont.pointSizeF()) << name;
        EXPECT_TRUE(shown.bold()) << name;
    }
}

}  // namespace
}  // namespace pelta::ui::testing

// How the window looks: the masked fields' background and font, and no caption, value or list
// item cut by its control (run once as is, 96 dpi, and once more with QT_SCALE_FACTOR=2, where
// the fonts are unhinted and a little wider); and what it shows at start-up: its lists and
// clock fields, with and without ports, its pictures and where they are looked for.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDebug>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <cmath>

#include "form1_harness.h"
#include "ui/date_time.h"
#include "ui/form1_pictures.h"

namespace pelta::ui::testing {
namespace {

// The control, its text, and the room it needs and has, when it has too little; else empty.
QString Shortfall(const QWidget* control, const QString& text, QSizeF needs, QSize has) {
    if (std::ceil(needs.width()) <= has.width() && std::ceil(needs.height()) <= has.height()) {
        return {};
    }
    QString shortfall;
    QDebug(&shortfall) << control->objectName() << text << "needs" << needs << "has" << has;
    return shortfall;
}

// A trailing line break adds an empty line, which shows nothing when cut.
QString LabelShortfall(const QLabel* label, const QString& text) {
    const QRectF needs =
        QFontMetricsF(label->font(), label)
            .boundingRect(QRectF(label->contentsRect()), int(label->alignment()), text.trimmed());
    return Shortfall(label, text, needs.size(), label->contentsRect().size());
}

// The text beside the box, and the box; a list's item in its edit area less a pixel each side.
QStringList ControlShortfalls(const QWidget* control) {
    const QFontMetricsF metrics(control->font(), control);
    const auto text = [&](const QString& t, int extra, QSize has) {
        return Shortfall(control, t, {metrics.horizontalAdvance(t) + extra, metrics.height()}, has);
    };
    QStringList cut;
    if (const auto* check = qobject_cast<const QCheckBox*>(control)) {
        QStyleOptionButton option;
        option.initFrom(check);
        option.text = check->text();
        const QRect area =
            check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check);
        const QRect box =
            check->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, check);
        cut << text(check->text(), 0, area.intersected(check->rect()).size())
            << Shortfall(check, "(box)", box.size(), box.intersected(check->rect()).size());
    } else if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.frame = true;
        const QSize area =
            combo->style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                .size();
        cut << text(combo->currentText(), 2, area);
        for (int i = 0; i < combo->count(); ++i) {
            cut << text(combo->itemText(i), 2, area);
        }
    } else if (const auto* label = qobject_cast<const QLabel*>(control)) {
        cut << LabelShortfall(label, label->text());
    }
    return cut;
}

// Every page shown at once: nothing cut, and the masked fields in the window's bold font on
// their own background.
TEST(Form1Looks, cutNoCaptionValueOrListItemAndShowMaskedFieldsBoldOnTheirOwnBackground) {
    // The platform's palette draws both backgrounds white: one made apart tells them apart.
    const QPalette platform = QApplication::palette();
    QPalette apart = platform;
    apart.setColor(QPalette::HighlightedText, QColor(1, 2, 3));
    QApplication::setPalette(apart);
    Form1Harness harness;
    harness.Window().show();
    for (const char* page : {"ctlLine2", "ctlLine3", "ctlLine6", "ctlLine7"}) {
        harness.Find<QWidget>(page)->show();
    }
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
        {"Label14_0", "Давление: 1013,25 мм Рт"}};
    QStringList cut;
    for (const auto& [name, text] : values) {
        cut << LabelShortfall(harness.Find<QLabel>(name), text);
    }
    for (const QWidget* control : harness.Window().findChildren<QWidget*>()) {
        cut << ControlShortfalls(control);
    }
    cut.removeAll(QString());
    EXPECT_TRUE(cut.isEmpty()) << cut.join('\n').toStdString();

    const QFontInfo windowFont(harness.Window().font());
    // Alarm 2 and the schedule on the text-field background; the others highlighted.
    const QString onBase = "DateTime3_1 DateTime6_0 DateTime6_1 DateTime6_2 DateTime6_3";
    const QList<DateTime*> fields = harness.Window().findChildren<DateTime*>();
    ASSERT_EQ(fields.size(), 10);
    for (const DateTime* field : fields) {
        SCOPED_TRACE(field->objectName().toStdString());
        const bool base = onBase.contains(field->objectName());
        EXPECT_EQ(field->BackColor(), base ? platform.color(QPalette::Base) : QColor(1, 2, 3));
        const QFontInfo shown(field->Field()->font());
        EXPECT_EQ(shown.family(), windowFont.family());
        EXPECT_EQ(shown.pointSizeF(), windowFont.pointSizeF());
        EXPECT_TRUE(shown.bold());
    }
    QApplication::setPalette(platform);
}

// With or without ports (an empty list is not a failure) and pictures.
TEST(Form1StartUp, fillsItsListsAndNamesAMissingOrBrokenPictureInOneWarning) {
    const std::pair<const char*, QString> buttons[] = {
        {"button_ok.bmp", "Button166 Button167_0 Button167_1 Button169 Button1610"},
        {"connect_established.bmp", "Button161"},
        {"CLOCK.bmp", "Button162"},
        {"configure.bmp", "Button163"},
        {"kdevelop_down.bmp", "Button164"},
    };
    const HarnessSetup cases[] = {
        {},
        {.ports = {}},
        {.missingPictures = {"kdevelop_down.bmp"}, .brokenPictures = {"CLOCK.bmp"}},
        {.missingPictures = kPictureFiles},
    };
    static QStringList warnings;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg) {
                warnings << text;
            }
        });
    for (const HarnessSetup& c : cases) {
        const QStringList lost = c.missingPictures + c.brokenPictures;
        SCOPED_TRACE(lost.join(", ").toStdString());
        warnings.clear();
        Form1Harness harness(c);
        ASSERT_EQ(harness.messages.size(), lost.isEmpty() ? 0U : 1U);
        if (!lost.isEmpty()) {
            EXPECT_TRUE(warnings.contains(harness.messages[0].first)) << "on stderr as well";
            EXPECT_EQ(harness.messages[0].second, link::MessageIcon::Exclamation);
        }
        for (const auto& [file, names] : buttons) {
            const bool named = !lost.isEmpty() && harness.messages[0].first.contains(file);
            EXPECT_EQ(named, lost.contains(file)) << file;
            for (const QString& name : names.split(' ')) {
                const QImage picture = harness.Find<Button16>(qPrintable(name))->Picture();
                EXPECT_EQ(picture.isNull(), lost.contains(file)) << name.toStdString();
            }
        }
        // The ports by COM number, every other list filled (the defaults are the code's own
        // literals; the clock fields are the clock tests').
        const auto* ports = harness.Find<QComboBox>("cboPort");
        EXPECT_EQ(ports->count(), int(c.ports.size()));  // their order: the port-list test's
        for (const QComboBox* list : harness.Window().findChildren<QComboBox*>()) {
            EXPECT_TRUE(list == ports || list->count() > 0) << list->objectName().toStdString();
        }
    }
    qInstallMessageHandler(previous);
}

TEST(Form1Pictures, areLookedForInTheCurrentFolderThenBesideTheProgramThenInTheDataFolder) {
    const QString program = QCoreApplication::applicationDirPath();
    EXPECT_EQ(DefaultPictureFolders(),
              QStringList({QDir::currentPath(), program,
                           QFileInfo(program + "/../share/pelta").absoluteFilePath()}));
    for (int present : {0b111, 0b110, 0b100, 0b000}) {  // bit i: in folder i
        QTemporaryDir first, second, third;
        const QStringList folders = {first.path(), second.path(), third.path()};
        int expected = -1;
        for (int i : {2, 1, 0}) {
            if (present & (1 << i)) {
                QFile::copy(PELTA_ASSETS_DIR "/CLOCK.bmp", folders[i] + "/CLOCK.bmp");
                expected = i;
            }
        }
        const QString path = expected < 0 ? QString() : folders[expected] + "/CLOCK.bmp";
        EXPECT_EQ(FindPicture("CLOCK.bmp", folders).toStdString(), path.toStdString());
        EXPECT_EQ(LoadPicture("CLOCK.bmp", folders).isNull(), present == 0) << present;
    }
}

}  // namespace
}  // namespace pelta::ui::testing

#include "ui/form1_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/button16.h"
#include "ui/ctl_line.h"
#include "ui/date_time.h"
#include "ui/twips.h"

namespace pelta::ui {

namespace {

template <typename Widget>
Widget* Create(QWidget* parent, const char* name, const TwipsBox& box) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    PlaceInTwips(widget, box);
    return widget;
}

// Enter and keypad Enter press a focused push button, as Space does. The buttons are not
// auto-default (that would draw a default frame around the focused one), so Qt leaves Enter
// to the window; this takes it first.
class EnterPressesButton : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        if (!key->isAutoRepeat()) {
            static_cast<QPushButton*>(watched)->click();
        }
        return true;
    }
};

}  // namespace

void PlaceInTwips(QWidget* widget, const TwipsBox& box) {
    widget->setGeometry(TwipsRect(box.Left, box.Top, box.Width, box.Height, widget));
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, const TwipsBox& box,
                  Qt::Alignment alignment) {
    auto* label = Create<QLabel>(parent, name, box);
    label->setText(caption);
    label->setAlignment(alignment);
    // Captions are data (decoded values, frame statistics), never markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

QComboBox* MakeList(QWidget* parent, const char* name, const TwipsBox& box) {
    auto* list = Create<QComboBox>(parent, name, box);
    list->setEditable(false);
    return list;
}

QComboBox* MakeEditableCombo(QWidget* parent, const char* name, const TwipsBox& box,
                             const QString& text) {
    auto* combo = Create<QComboBox>(parent, name, box);
    combo->setEditable(true);
    // Typed texts are only shown; they must not be added to the fixed list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setEditText(text);
    return combo;
}

QLineEdit* MakeTextBox(QWidget* parent, const char* name, const TwipsBox& box,
                       const QString& text) {
    auto* field = Create<QLineEdit>(parent, name, box);
    field->setText(text);
    return field;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption,
                        const TwipsBox& box) {
    auto* check = Create<QCheckBox>(parent, name, box);
    check->setText(caption);
    // Some boxes were laid out lower than their indicator and text; they grow about their
    // middle so that neither is cut.
    const QRect placed = check->geometry();
    const int needed = check->sizeHint().height();
    if (placed.height() < needed) {
        check->setGeometry(placed.left(), placed.center().y() - needed / 2, placed.width(), needed);
    }
    return check;
}

QPushButton* MakePushButton(QWidget* parent, const char* name, const QString& caption,
                            const TwipsBox& box) {
    auto* button = Create<QPushButton>(parent, name, box);
    button->setText(caption);
    button->setAutoDefault(false);
    button->installEventFilter(new EnterPressesButton(button));
    return button;
}

Button16* MakeImageButton(QWidget* parent, const char* name, int left, int top) {
    return Create<Button16>(parent, name, {left, top, kImageButtonTwips, kImageButtonTwips});
}

DateTime* MakeDateTime(QWidget* parent, const char* name, const TwipsBox& box) {
    return Create<DateTime>(parent, name, box);
}

ctlLine* MakeLineControl(QWidget* parent, const char* name, const TwipsBox& box) {
    auto* line = Create<ctlLine>(parent, name, box);
    if (box.Height <= kSeparatorTwips) {
        // A separator only draws; where it crosses a check box's row the click is the box's.
        line->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    return line;
}

QFrame* MakeHorizontalLine(QWidget* parent, const char* name, int x1, int x2, int y) {
    auto* line = Create<QFrame>(parent, name, {x1, y, x2 - x1, 15});
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    return line;
}

void InstallFontSubstitutes() {
    const QStringList sans = {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                              QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(QStringLiteral("Arial"), sans);
    QFont::insertSubstitutions(
        QStringLiteral("Arial Narrow"),
        {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Nimbus Sans Narrow"),
         QStringLiteral("DejaVu Sans Condensed")});
}

}  // namespace pelta::ui

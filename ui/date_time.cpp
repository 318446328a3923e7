#include "ui/date_time.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QResizeEvent>
#include <array>

#include "ui/twips.h"

namespace {

constexpr int kFieldHeightTwips = 285;

struct LayoutShape {
    const char* mask;
    int maxLength;
};

constexpr std::array<LayoutShape, 4> kLayouts{{
    {"00.00.00", 8},
    {"00:00", 5},
    {"00:00:00", 8},
    {"00.00.0000", 10},
}};

bool IsSeparator(QChar c) {
    return c == u'.' || c == u':';
}

// The numeric value of the character at `pos`; anything but a digit counts as 0.
int ValueAt(const QString& text, int pos) {
    if (pos < 0 || pos >= text.size() || !text[pos].isDigit()) {
        return 0;
    }
    return text[pos].digitValue();
}

bool InRange(QChar digit, char low, char high) {
    return digit >= QChar(low) && digit <= QChar(high);
}

// Keys that only move the caret and are left to the line edit.
bool IsNavigationKey(int key) {
    switch (key) {
        case Qt::Key_End:
        case Qt::Key_Home:
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Right:
        case Qt::Key_Down:
            return true;
        default:
            return false;
    }
}

}  // namespace

// The line edit inside the field: it hands every key to the field first and reports focus
// and clicks, so the field can keep its one-character selection.
class DateTimeField : public QLineEdit {
  public:
    explicit DateTimeField(DateTime* owner) : QLineEdit(owner), owner_(owner) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (owner_->OnKey(event)) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        owner_->SelectCurrentPosition();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        // A context menu or another window taking the focus is not the field losing it.
        if (event->reason() != Qt::PopupFocusReason &&
            event->reason() != Qt::ActiveWindowFocusReason) {
            emit owner_->LostFocus();
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLineEdit::mouseReleaseEvent(event);
        owner_->SelectCurrentPosition();
    }

  private:
    DateTime* owner_;
};

DateTime::DateTime(QWidget* parent) : QWidget(parent), field_(new DateTimeField(this)) {
    // Bold in the font of the window around it (the window asks for MS Sans Serif 8.25 pt,
    // as the field's own design does): only the weight is set, family and size are inherited.
    QFont bold;
    bold.setBold(true);
    field_->setFont(bold);
    field_->setAcceptDrops(false);
    field_->setText(QStringLiteral("00:00:00"));
    fieldHeight_ =
        std::max(TwipsToPixels(kFieldHeightTwips, this), field_->minimumSizeHint().height());
    field_->setGeometry(0, 0, width(), fieldHeight_);
    setFocusProxy(field_);
    connect(field_, &QLineEdit::textChanged, this, &DateTime::OnTextChanged);
    // What a new field gets from its defaults: layout 1, the highlighted-text background.
    SetLayout(DateTime::TimeShort);
    SetBackColor(palette().color(QPalette::HighlightedText));
}

QString DateTime::Text() const {
    return field_->text();
}

void DateTime::SetText(const QString& text) {
    kept_ = text;
    field_->setText(text);
}

void DateTime::SetLayout(int layout) {
    layout_ = layout;
    const QString mask = QString::fromLatin1(kLayouts[EffectiveLayout()].mask);
    // The kept text first, so the new mask is not rolled back to the old text.
    kept_ = mask;
    field_->setText(mask);
}

int DateTime::EffectiveLayout() const {
    return layout_ >= DateTime::DateShort && layout_ <= DateTime::DateLong ? layout_
                                                                           : DateTime::TimeLong;
}

int DateTime::MaxLength() const {
    return kLayouts[EffectiveLayout()].maxLength;
}

QColor DateTime::BackColor() const {
    return field_->palette().color(QPalette::Base);
}

void DateTime::SetBackColor(const QColor& color) {
    QPalette p = field_->palette();
    p.setColor(QPalette::Base, color);
    field_->setPalette(p);
}

int DateTime::SelStart() const {
    return field_->hasSelectedText() ? field_->selectionStart() : field_->cursorPosition();
}

void DateTime::SetSelStart(int start) {
    field_->setCursorPosition(start);
}

int DateTime::SelLength() const {
    return field_->selectionLength();
}

void DateTime::SetSelLength(int length) {
    field_->setSelection(SelStart(), length);
}

QSize DateTime::sizeHint() const {
    return {field_->sizeHint().width(), fieldHeight_};
}

void DateTime::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (height() != fieldHeight_) {
        resize(width(), fieldHeight_);
    }
    field_->setGeometry(0, 0, width(), fieldHeight_);
}

void DateTime::SelectCurrentPosition() {
    const int start = SelStart();
    field_->setSelection(start, 1);
    if (field_->hasSelectedText() && IsSeparator(field_->selectedText().front())) {
        field_->setSelection(start + 1, 1);
    }
}

bool DateTime::OnKey(QKeyEvent* event) {
    const int key = event->key();
    if (IsNavigationKey(key) || key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        return false;
    }
    OnKeyDown();
    const QString text = event->text();
    const bool isCharacter = !text.isEmpty() || event->modifiers().testFlag(Qt::ControlModifier);
    if (!isCharacter) {
        // Delete and the like reach the line edit; whatever they change is rolled back.
        return false;
    }
    // Every character key ends here, so the line edit never inserts, undoes, cuts or
    // pastes by a key of its own.
    OnKeyPress(text.size() == 1 ? text.front() : QChar());
    return true;
}

void DateTime::OnKeyDown() {
    kept_ = field_->text();
    SelectCurrentPosition();
}

void DateTime::OnKeyPress(QChar typed) {
    const int pos = SelStart();
    if (typed >= u'0' && typed <= u'9' && AdmitDigit(pos, typed) && pos < MaxLength() &&
        SelLength() == 1 && pos < kept_.size()) {
        kept_[pos] = typed;
        field_->insert(QString(typed));
    }
    SelectCurrentPosition();
    kept_ = field_->text();
}

bool DateTime::AdmitDigit(int pos, QChar digit) {
    const QString text = field_->text();
    const int layout = EffectiveLayout();
    if (layout == DateTime::DateShort || layout == DateTime::DateLong) {
        switch (pos) {
            case 0:
                if (!InRange(digit, '0', '3')) {
                    return false;
                }
                if (digit == u'3' && ValueAt(text, 1) > 1) {
                    CorrectTens(pos, digit, u'0');
                }
                return true;
            case 1:
                return ValueAt(text, 0) != 3 || InRange(digit, '0', '1');
            case 3:
                return InRange(digit, '0', '1');
            case 4:
                return ValueAt(text, 3) != 1 || InRange(digit, '0', '2');
            case 6:
                return layout == DateTime::DateShort || InRange(digit, '1', '2');
            case 7:
                if (layout == DateTime::DateShort) {
                    return true;
                }
                switch (ValueAt(text, 6)) {
                    case 2:
                        return InRange(digit, '0', '1');
                    case 1:
                        return digit == u'9';
                    default:
                        return true;
                }
            default:
                return true;
        }
    }
    switch (pos) {
        case 0:
            if (!InRange(digit, '0', '2')) {
                return false;
            }
            if (digit == u'2' && ValueAt(text, 1) > 3) {
                CorrectTens(pos, digit, u'0');
            }
            return true;
        case 1:
            return ValueAt(text, 0) != 2 || InRange(digit, '0', '3');
        case 3:
        case 6:
            return InRange(digit, '0', '5');
        default:
            return true;
    }
}

// Typing the highest tens digit over units that it would make impossible (a "3" before
// "29", a "2" before "7") resets the units to "0" first.
void DateTime::CorrectTens(int pos, QChar tens, QChar units) {
    QString corrected = field_->text();
    corrected[pos] = tens;
    corrected[pos + 1] = units;
    kept_ = corrected;
    field_->setText(corrected);
    field_->setSelection(pos, 1);
}

void DateTime::OnTextChanged() {
    if (field_->text() != kept_ && !kept_.isEmpty()) {
        field_->setText(kept_);  // raises onChange for the restored text first
    }
    emit onChange();
}

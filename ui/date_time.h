#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QKeyEvent;
class QLineEdit;

// A masked field for a date or a time of fixed shape. The operator can only overwrite
// digits, one at a time, each checked against the digits allowed at that place; any other
// change of the text (Delete, paste, input methods) is rolled back at once to the last text
// the field itself accepted (the "kept text"), and onChange() is then raised twice.
//
// Layout: 0 "00.00.00" (dd.mm.yy), 1 "00:00" (hh:mm), 2 "00:00:00" (hh:mm:ss),
// 3 "00.00.0000" (dd.mm.yyyy); any other value behaves as 2. A new field has layout 1 and
// shows "00:00". Enabled is QWidget's own.
class DateTime : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE SetText)
    Q_PROPERTY(int Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(int SelStart READ SelStart WRITE SetSelStart)
    Q_PROPERTY(int SelLength READ SelLength WRITE SetSelLength)

  public:
    explicit DateTime(QWidget* parent = nullptr);

    QString Text() const;
    // Shown as given, unchecked (any length, any characters); edits start from it.
    void SetText(const QString& text);

    // The layouts by their numbers: "dd.mm.yy", "hh:mm", "hh:mm:ss", "dd.mm.yyyy".
    enum LayoutNumber : int { DateShort = 0, TimeShort = 1, TimeLong = 2, DateLong = 3 };

    int Layout() const { return layout_; }
    // Shows the layout's mask and makes it the kept text.
    void SetLayout(int layout);

    QColor BackColor() const;
    void SetBackColor(const QColor& color);

    // Start of the selection, or the caret position when nothing is selected.
    int SelStart() const;
    // Places the caret, selecting nothing.
    void SetSelStart(int start);
    int SelLength() const;
    void SetSelLength(int length);

    // The inner line edit, for focus handling and tests.
    QLineEdit* Field() const { return field_; }

    QSize sizeHint() const override;

  signals:
    void onChange();
    void LostFocus();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    friend class DateTimeField;

    // Returns true when the key is consumed.
    bool OnKey(QKeyEvent* event);
    void OnKeyDown();
    void OnKeyPress(QChar typed);
    // Whether the digit may be typed at pos; to let it, may first correct a tens digit typed
    // before (a 3 in the day's tens before a month of 2 becomes 0).
    bool AdmitDigit(int pos, QChar digit);
    void CorrectTens(int pos, QChar tens, QChar units);
    void OnTextChanged();
    void SelectCurrentPosition();
    int EffectiveLayout() const;
    int MaxLength() const;

    QLineEdit* field_ = nullptr;
    int fieldHeight_ = 0;
    int layout_ = 1;
    QString kept_;
};

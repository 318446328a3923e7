#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QLineEdit;

// A masked field for a date or a time of fixed shape. The operator can only overwrite
// digits, one at a time, each checked against the digits allowed at that place; any other
// change of the text (Delete, paste, undo) is rolled back to the last text the field itself
// accepted ("kept text").
//
// Layout: 0 "00.00.00" (dd.mm.yy), 1 "00:00" (hh:mm), 2 "00:00:00" (hh:mm:ss),
// 3 "00.00.0000" (dd.mm.yyyy); any other value behaves as 2. A new field has layout 1.
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
    // Shown as given, unchecked; it becomes the text edits start from.
    void SetText(const QString& text);

    int Layout() const { return layout_; }
    // Shows the layout's mask and makes it the kept text.
    void SetLayout(int layout);

    QColor BackColor() const;
    void SetBackColor(const QColor& color);

    int SelStart() const;
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
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void OnKeyDown(int key);
    void OnKeyPress(const QString& text);
    void OnTextChanged();
    void SelectCurrentPosition();

    QLineEdit* field_ = nullptr;
    int layout_ = 1;
    QString kept_;
};

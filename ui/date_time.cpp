#include "ui/date_time.h"

#include <QLineEdit>

DateTime::DateTime(QWidget* parent) : QWidget(parent), field_(new QLineEdit(this)) {
    field_->setText(QStringLiteral("00:00"));
}

QString DateTime::Text() const {
    return field_->text();
}
void DateTime::SetText(const QString& text) {
    field_->setText(text);
}
void DateTime::SetLayout(int layout) {
    layout_ = layout;
}
QColor DateTime::BackColor() const {
    return field_->palette().color(QPalette::Base);
}
void DateTime::SetBackColor(const QColor&) {}
int DateTime::SelStart() const {
    return field_->cursorPosition();
}
void DateTime::SetSelStart(int start) {
    field_->setCursorPosition(start);
}
int DateTime::SelLength() const {
    return field_->selectedText().size();
}
void DateTime::SetSelLength(int) {}
QSize DateTime::sizeHint() const {
    return field_->sizeHint();
}
bool DateTime::eventFilter(QObject* watched, QEvent* event) {
    return QWidget::eventFilter(watched, event);
}
void DateTime::resizeEvent(QResizeEvent*) {}

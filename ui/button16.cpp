#include "ui/button16.h"

Button16::Button16(QWidget* parent) : QAbstractButton(parent) {
    setFixedSize(kSide, kSide);
}

void Button16::SetValue(bool value) {
    value_ = value;
}
void Button16::SetBackColor(const QColor& color) {
    backColor_ = color;
}
void Button16::SetPictureByValue(const QImage& picture) {
    picture_ = picture;
}
void Button16::SetPictureByReference(const QImage& picture) {
    picture_ = picture;
}
bool Button16::hitButton(const QPoint& pos) const {
    return pos.x() >= 0 && pos.y() >= 0 && pos.x() < kHotSide && pos.y() < kHotSide;
}
void Button16::paintEvent(QPaintEvent*) {}
void Button16::resizeEvent(QResizeEvent*) {}
void Button16::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
}
void Button16::mousePressEvent(QMouseEvent* event) {
    QAbstractButton::mousePressEvent(event);
}
void Button16::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
}
void Button16::mouseReleaseEvent(QMouseEvent* event) {
    QAbstractButton::mouseReleaseEvent(event);
}
void Button16::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
}

#include "ui/ctl_line.h"

#include <QPainter>

ctlLine::ctlLine(QWidget* parent) : QWidget(parent) {}

void ctlLine::SetLineStyle(int style) {
    lineStyle_ = style;
    Refresh();
}

void ctlLine::SetLineStyleType(int type) {
    lineStyleType_ = type;
    Refresh();
}

QColor ctlLine::BackColor() const {
    return palette().color(QPalette::Window);
}

void ctlLine::SetBackColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

void ctlLine::Refresh() {
    update();
}

QList<QWidget*> ctlLine::ContainedControl() const {
    return findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
}

QSize ctlLine::sizeHint() const {
    return {100, 30};
}

void ctlLine::paintEvent(QPaintEvent*) {}

void ctlLine::resizeEvent(QResizeEvent*) {
    Refresh();
}

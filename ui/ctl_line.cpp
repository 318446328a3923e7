#include "ui/ctl_line.h"

#include <QPainter>
#include <array>

#include "ui/ctl_line_raster.h"
#include "ui/twips.h"

namespace {

constexpr int kStyleVertical = 0;
constexpr int kStyleHorizontal = 1;
constexpr int kStyleFrame = 2;
constexpr int kLineThickness = 30;  // twips; the size a straight line forces on the widget
constexpr int kStrokeGap = 20;      // twips between the two strokes of a straight line

struct Stroke {
    QColor first;
    QColor second;
};

Stroke StrokeColors(int styleType, const QPalette& palette) {
    const QColor shadow = palette.color(QPalette::Dark);
    switch (styleType) {
        case 0:
            return {shadow, Qt::white};
        case 1:
            return {Qt::white, shadow};
        default:
            return {Qt::black, Qt::black};
    }
}

// One segment of the frame in twips: ends relative to the left/top (offset) or to the
// right/bottom edge (W/H minus offset), and whether it takes the first stroke colour.
struct FrameSegment {
    int x1;
    bool x1FromRight;
    int y1;
    bool y1FromBottom;
    int x2;
    bool x2FromRight;
    int y2;
    bool y2FromBottom;
    bool firstColor;
};

constexpr bool L = false;  // measured from the left or the top
constexpr bool R = true;   // measured back from the right or the bottom

// The frame with cut corners, in drawing order; the top edge lies 80 twips down, leaving
// room for a caption above it.
constexpr std::array<FrameSegment, 14> kFrame{{
    {40, L, 80, L, 60, R, 80, L, true},
    {20, L, 90, L, 40, R, 90, L, false},
    {0, L, 100, L, 40, L, 60, L, true},
    {20, L, 120, L, 50, L, 90, L, false},
    {0, L, 120, L, 0, L, 40, R, true},
    {20, L, 100, L, 20, L, 40, R, false},
    {0, L, 60, R, 30, L, 30, R, true},
    {30, L, 30, R, 50, R, 30, R, true},
    {40, L, 20, R, 60, R, 20, R, false},
    {60, R, 30, R, 30, R, 60, R, true},
    {60, R, 10, R, 10, R, 60, R, false},
    {30, R, 100, L, 30, R, 40, R, true},
    {20, R, 120, L, 20, R, 40, R, false},
    {60, R, 80, L, 30, R, 110, L, true},
}};

}  // namespace

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
    // Repaint the figure on the new background rather than leave a stale one on screen.
    Refresh();
}

QList<QWidget*> ctlLine::ContainedControl() const {
    return findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
}

QSize ctlLine::sizeHint() const {
    return {TwipsToPixels(1500, this), TwipsToPixels(1000, this)};
}

void ctlLine::Refresh() {
    if (refreshing_) {
        return;  // the resize below re-enters through resizeEvent
    }
    refreshing_ = true;
    ForceLineThickness();
    surface_ = QImage(size(), QImage::Format_RGB32);
    surface_.fill(BackColor());
    DrawFigure();
    refreshing_ = false;
    update();
}

void ctlLine::ForceLineThickness() {
    const int thickness = TwipsToPixels(kLineThickness, this);
    if (lineStyle_ == kStyleHorizontal && height() != thickness) {
        resize(width(), thickness);
    } else if (lineStyle_ == kStyleVertical && width() != thickness) {
        resize(thickness, height());
    }
}

void ctlLine::DrawFigure() {
    const Stroke colors = StrokeColors(lineStyleType_, palette());
    const int w = PixelsToTwips(width(), this);
    const int h = PixelsToTwips(height(), this);
    switch (lineStyle_) {
        case kStyleHorizontal:
            DrawTwipsLine(0, 0, w, 0, colors.first);
            DrawTwipsLine(0, kStrokeGap, w, kStrokeGap, colors.second);
            break;
        case kStyleVertical:
            DrawTwipsLine(0, 0, 0, h, colors.first);
            DrawTwipsLine(kStrokeGap, 0, kStrokeGap, h, colors.second);
            break;
        case kStyleFrame:
            for (const FrameSegment& s : kFrame) {
                DrawTwipsLine(s.x1FromRight ? w - s.x1 : s.x1, s.y1FromBottom ? h - s.y1 : s.y1,
                              s.x2FromRight ? w - s.x2 : s.x2, s.y2FromBottom ? h - s.y2 : s.y2,
                              s.firstColor ? colors.first : colors.second);
            }
            break;
        default:
            break;  // unknown styles leave the plain background
    }
}

void ctlLine::DrawTwipsLine(int x1, int y1, int x2, int y2, const QColor& color) {
    RasterLine(surface_, {TwipsToPixels(x1, this), TwipsToPixels(y1, this)},
               {TwipsToPixels(x2, this), TwipsToPixels(y2, this)}, color);
}

void ctlLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (surface_.size() != size()) {
        painter.fillRect(rect(), BackColor());
    }
    painter.drawImage(0, 0, surface_);
}

void ctlLine::resizeEvent(QResizeEvent*) {
    Refresh();
}

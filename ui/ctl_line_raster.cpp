#include "ui/ctl_line_raster.h"

#include <cstdlib>

void RasterPoint(QImage& image, QPoint at, const QColor& color) {
    if (image.rect().contains(at)) {
        image.setPixelColor(at, color);
    }
}

void RasterLine(QImage& image, QPoint from, QPoint to, const QColor& color) {
    // Bresenham; the loop stops before plotting the end point.
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int stepX = from.x() < to.x() ? 1 : -1;
    const int stepY = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    QPoint at = from;
    while (at != to) {
        RasterPoint(image, at, color);
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            at.rx() += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            at.ry() += stepY;
        }
    }
}

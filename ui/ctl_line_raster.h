#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>

// Draws a one-pixel line from `from` towards `to` into `image`, leaving `to` itself
// undrawn, as the classic GDI LineTo does; the looks of the line control and the image
// button are defined with that convention. Points outside the image are clipped.
void RasterLine(QImage& image, QPoint from, QPoint to, const QColor& color);

// Sets one pixel if it lies inside the image.
void RasterPoint(QImage& image, QPoint at, const QColor& color);

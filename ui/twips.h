#pragma once

#include <QRect>

class QWidget;

// Window coordinates are kept in twips (1/1440 inch); at 96 dpi one pixel is 15 twips.
// The conversion follows the widget's logical dpi so the layout scales on other screens.

// Converts a length or coordinate in twips to pixels for `widget` (rounded to nearest).
// A null widget means 96 dpi.
int TwipsToPixels(int twips, const QWidget* widget);

// Converts pixels back to twips for `widget` (exact multiples at 96 dpi).
int PixelsToTwips(int pixels, const QWidget* widget);

// Rectangle given in twips (left, top, width, height) as a pixel rectangle.
QRect TwipsRect(int left, int top, int width, int height, const QWidget* widget);

#include "ui/twips.h"

#include <QWidget>
#include <cmath>

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kDefaultDpi = 96;

int DpiOf(const QWidget* widget) {
    const int dpi = widget != nullptr ? widget->logicalDpiX() : kDefaultDpi;
    return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

int TwipsToPixels(int twips, const QWidget* widget) {
    return static_cast<int>(std::lround(twips * DpiOf(widget) / kTwipsPerInch));
}

int PixelsToTwips(int pixels, const QWidget* widget) {
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / DpiOf(widget)));
}

QRect TwipsRect(int left, int top, int width, int height, const QWidget* widget) {
    return {TwipsToPixels(left, widget), TwipsToPixels(top, widget), TwipsToPixels(width, widget),
            TwipsToPixels(height, widget)};
}

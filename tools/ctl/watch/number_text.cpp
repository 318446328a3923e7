#include "tools/ctl/watch/number_text.h"

#include <charconv>
#include <cmath>

namespace pelta::watch {

double Rounded(double value) {
    const double rounded = std::round(value * 1e4) / 1e4;
    return rounded == 0 ? 0 : rounded;  // never "-0"
}

QByteArray NumberText(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, Rounded(value)).ptr;
    return QByteArray(text, static_cast<int>(end - text));
}

}  // namespace pelta::watch

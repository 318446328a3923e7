#pragma once
// Numbers as the outputs write them: rounded to four decimals, so that a 32-bit float's noise
// (21.299999237) or a product's last bit (100058.16100000001) never reaches a file, then in the
// shortest form that reads back the same, with a point whatever the locale.

#include <QByteArray>

namespace pelta::watch {

double Rounded(double value);
QByteArray NumberText(double value);

}  // namespace pelta::watch

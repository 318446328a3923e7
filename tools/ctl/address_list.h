#pragma once
// The small texts of pelta-ctl's command line that have edge cases of their own: the address
// list ("1,3,5-9") and the port ("COM 7", "COM7", "7").

#include <QString>
#include <optional>
#include <vector>

namespace pelta::ctl {

struct AddressList {
    std::vector<int> Addresses;  // in the order given, each once
    QString Error;               // why the text is refused, empty when it is not
};

// Addresses 0-255 and ranges "a-b" with a <= b, separated by commas. An empty item, a reversed
// range or a number outside 0-255 refuses the whole list.
AddressList ParseAddressList(const QString& text);

// The COM number of "COM 7", "COM7", "com7" or "7"; nothing for any other text.
std::optional<int> ParsePortNumber(const QString& text);

}  // namespace pelta::ctl

#pragma once
// Conversion of event text to the controller screen's character codes. Latin letters, digits
// and signs pass unchanged; each Russian letter becomes the Latin letter of the same shape or a
// code of the screen's own between 0xA0 and 0xE5.

#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelta::device {

// `DisplayCharMap`: screen code by Windows-1251 code.
const std::array<std::uint8_t, 256>& DisplayCharMap();

// `rep`: one screen code per Windows-1251 byte, same length and order. Each byte is mapped
// exactly once; a code produced for one letter is never converted again.
std::string rep(std::string_view windows1251);

// Convenience for text from the window: converts to Windows-1251 first.
std::string rep(const QString& text);

}  // namespace pelta::device

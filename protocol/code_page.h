#pragma once
// The program's 8-bit code page is Windows-1251: frames, display text and cipher texts are
// bytes in it, while Qt holds Unicode. This is the one place that converts between the two.

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace pelta::protocol {

// Each character becomes one byte; a character that Windows-1251 lacks becomes '?'.
std::string ToWindows1251(const QString& text);

// The first character (a whole code point) that Windows-1251 lacks, or none when every
// character has a byte. Callers for whom '?' would change the meaning (keys) refuse the text.
std::optional<char32_t> FirstCharacterOutsideWindows1251(const QString& text);

// Each byte becomes one character (0x98, unassigned in Windows-1251, becomes U+FFFD).
QString FromWindows1251(std::string_view bytes);

}  // namespace pelta::protocol

#include "device/display_char_map.h"

#include <utility>

#include "protocol/code_page.h"

namespace pelta::device {
namespace {

// Windows-1251 letter -> screen code. Letters absent here (and every other byte) pass unchanged.
constexpr std::pair<std::uint8_t, std::uint8_t> kRussianLetters[] = {
    // Capitals with a Latin look-alike.
    {0xC0, 'A'},
    {0xC2, 'B'},
    {0xC5, 'E'},
    {0xA8, 'E'},
    {0xCA, 'K'},
    {0xCC, 'M'},
    {0xCD, 'H'},
    {0xCE, 'O'},
    {0xD0, 'P'},
    {0xD1, 'C'},
    {0xD2, 'T'},
    {0xD3, 'Y'},
    {0xD5, 'X'},
    // Small letters with a Latin look-alike.
    {0xE0, 'a'},
    {0xE5, 'e'},
    {0xB8, 'e'},
    {0xEA, 'k'},
    {0xEE, 'o'},
    {0xF0, 'p'},
    {0xF1, 'c'},
    {0xF3, 'y'},
    {0xF5, 'x'},
    // Capitals with a code of the screen's own.
    {0xC1, 0xA0},
    {0xC3, 0xA1},
    {0xC4, 0xE0},
    {0xC6, 0xA3},
    {0xC7, 0xA4},
    {0xC8, 0xA5},
    {0xC9, 0xA6},
    {0xCB, 0xA7},
    {0xCF, 0xA8},
    {0xD4, 0xAA},
    {0xD6, 0xE1},
    {0xD7, 0xAB},
    {0xD8, 0xAC},
    {0xD9, 0xE2},
    {0xDA, 0xAD},
    {0xDB, 0xAE},
    {0xDC, 0xAD},
    {0xDD, 0xAF},
    {0xDE, 0xB0},
    {0xDF, 0xB1},
    // Small letters with a code of the screen's own.
    {0xE1, 0xB2},
    {0xE2, 0xB3},
    {0xE3, 0xB4},
    {0xE4, 0xE3},
    {0xE6, 0xB6},
    {0xE7, 0xB7},
    {0xE8, 0xB8},
    {0xE9, 0xB9},
    {0xEB, 0xBB},
    {0xEC, 0xBC},
    {0xED, 0xBD},
    {0xEF, 0xBE},
    {0xF2, 0xBF},
    {0xF4, 0xE4},
    {0xF6, 0xE5},
    {0xF7, 0xC0},
    {0xF8, 0xC1},
    {0xF9, 0xC1},
    {0xFA, 0xC4},
    {0xFB, 0xC3},
    {0xFC, 0xC4},
    {0xFD, 0xC5},
    {0xFE, 0xC6},
    {0xFF, 0xC7},
};

constexpr std::array<std::uint8_t, 256> MakeMap() {
    std::array<std::uint8_t, 256> map{};
    for (std::size_t code = 0; code < map.size(); ++code) {
        map[code] = static_cast<std::uint8_t>(code);
    }
    for (const auto& [letter, screen] : kRussianLetters) {
        map[letter] = screen;
    }
    return map;
}

constexpr std::array<std::uint8_t, 256> kMap = MakeMap();

}  // namespace

const std::array<std::uint8_t, 256>& DisplayCharMap() {
    return kMap;
}

std::string rep(std::string_view windows1251) {
    std::string screen;
    screen.reserve(windows1251.size());
    for (const char c : windows1251) {
        screen += static_cast<char>(kMap[static_cast<unsigned char>(c)]);
    }
    return screen;
}

std::string rep(const QString& text) {
    return rep(protocol::ToWindows1251(text));
}

}  // namespace pelta::device

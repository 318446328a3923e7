#include "device/display_char_map.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "tests/support/fake_window.h"

namespace pelta::device {
namespace {

using pelta::testing::Bytes;

TEST(Rep, convertsWordsToScreenCodesMappingEachByteOnce) {
    const struct {
        const char* word;
        std::string screen;
    } cases[] = {
        {"Привет", Bytes({0xA8, 0x70, 0xB8, 0xB3, 0x65, 0xBF})},
        {"Щука", Bytes({0xE2, 0x79, 0x6B, 0x61})},  // 0xE2 is also в: mapped once only
        {"съезд", Bytes({0x63, 0xC4, 0x65, 0xB7, 0xE3})},
        {"ПОДЪЕМ", Bytes({0xA8, 0x4F, 0xE0, 0xAD, 0x45, 0x4D})},
        {"Ёж ёж", Bytes({'E', 0xB6, ' ', 'e', 0xB6})},
        {"Hello, 2024! ~", "Hello, 2024! ~"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rep(QString::fromUtf8(c.word)), c.screen) << c.word;
    }
}

// The published character set, one letter per row: each letter, given as its code page byte and
// as text, becomes its screen code; every byte not listed stays as it is.
TEST(Rep, followsThePublishedScreenCodeForEveryLetterAndLeavesOtherBytesAlone) {
    std::ifstream file(PELTA_DISPLAY_MAP_FILE);
    ASSERT_TRUE(file.is_open());
    std::map<int, int> screenCodes;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string letter;
        int code = 0, screen = 0;
        fields >> std::hex >> code >> screen >> letter;
        screenCodes[code] = screen;
        const std::string expected(1, static_cast<char>(screen));
        EXPECT_EQ(rep(std::string(1, static_cast<char>(code))), expected) << letter;
        EXPECT_EQ(rep(QString::fromStdString(letter)), expected) << letter;
    }
    EXPECT_EQ(screenCodes.size(), 66U) << "every row of the table was read";
    for (int code = 0; code < 256; ++code) {
        if (screenCodes.count(code) == 0) {
            const std::string byte(1, static_cast<char>(code));
            EXPECT_EQ(rep(byte), byte) << "code " << code;
        }
    }
}

}  // namespace
}  // namespace pelta::device

#include "device/display_char_map.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace pelta::device {
namespace {

// The published character set, one letter per row: each letter, given as its code page byte and
// as text, becomes its screen code; every byte not listed stays as it is. (0xE2 is both Щ's screen
// code and в's code page byte: each byte is mapped once.)
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
        const std::string byte(1, static_cast<char>(code));
        EXPECT_TRUE(screenCodes.count(code) != 0 || rep(byte) == byte) << "code " << code;
    }
}

}  // namespace
}  // namespace pelta::device

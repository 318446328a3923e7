#include "device/display_char_map.h"

#include <gtest/gtest.h>

#include "protocol/code_page.h"

namespace pelta::device {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int v : values) {
        bytes += static_cast<char>(v);
    }
    return bytes;
}

TEST(Rep, convertsWordsToScreenCodes) {
    const struct {
        const char* word;
        std::string screen;
    } cases[] = {
        {"Привет", Bytes({0xA8, 0x70, 0xB8, 0xB3, 0x65, 0xBF})},
        {"Щука", Bytes({0xE2, 0x79, 0x6B, 0x61})},
        {"съезд", Bytes({0x63, 0xC4, 0x65, 0xB7, 0xE3})},
        {"ПОДЪЕМ", Bytes({0xA8, 0x4F, 0xE0, 0xAD, 0x45, 0x4D})},
        {"Ёж ёж", Bytes({'E', 0xB6, ' ', 'e', 0xB6})},
        {"Hello, 2024! ~", "Hello, 2024! ~"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rep(QString::fromUtf8(c.word)), c.screen) << c.word;
    }
}

TEST(Rep, mapsEachByteOnceEvenWhenTheCodeIsAnotherLetter) {
    // Щ gives 0xE2, which is the Windows-1251 code of в; it must stay 0xE2.
    EXPECT_EQ(rep(std::string_view("\xD9")), "\xE2");
    // ч gives 0xC0 (А in Windows-1251), not "A".
    EXPECT_EQ(rep(std::string_view("\xF7")), "\xC0");
}

TEST(DisplayCharMap, changesExactlyTheSixtySixRussianLetters) {
    const auto& map = DisplayCharMap();
    int changed = 0;
    for (int code = 0; code < 256; ++code) {
        const bool russianLetter = code >= 0xC0 || code == 0xA8 || code == 0xB8;
        if (map[static_cast<std::size_t>(code)] != code) {
            ++changed;
            EXPECT_TRUE(russianLetter) << "code " << code;
        } else {
            EXPECT_FALSE(russianLetter) << "letter " << code << " left unconverted";
        }
    }
    EXPECT_EQ(changed, 66);
}

TEST(DisplayCharMap, sharedCodesOfLookAlikeLetters) {
    const struct {
        const char* a;
        const char* b;
    } pairs[] = {{"Ъ", "Ь"}, {"ъ", "ь"}, {"ш", "щ"}, {"Ё", "Е"}, {"ё", "е"}};
    for (const auto& p : pairs) {
        EXPECT_EQ(rep(QString::fromUtf8(p.a)), rep(QString::fromUtf8(p.b))) << p.a << p.b;
    }
}

}  // namespace
}  // namespace pelta::device

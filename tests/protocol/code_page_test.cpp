#include "protocol/code_page.h"

#include <gtest/gtest.h>

namespace pelta::protocol {
namespace {

// A character the code page lacks is found whole and sent as one question mark.
TEST(CodePage, findsTheFirstCharacterItLacksWholeAndSendsItAsOneQuestionMark) {
    const std::tuple<const char*, std::optional<char32_t>, std::string> cases[] = {
        {"", std::nullopt, ""},
        {"Пароль №1 €", std::nullopt, "\xCF\xE0\xF0\xEE\xEB\xFC \xB9\x31 \x88"},
        {"abäcö", U'\u00E4', "ab?c?"},  // the first of two
        {"a漢b", U'\u6F22', "a?b"},
        {"k😀y", U'\U0001F600', "k?y"},     // a surrogate pair is one character
        {"\xEF\xBF\xBD", U'\uFFFD', "?"},  // what undecodable input turns into
    };
    for (const auto& [utf8, missing, sent] : cases) {
        EXPECT_EQ(FirstCharacterOutsideWindows1251(QString::fromUtf8(utf8)), missing) << utf8;
        EXPECT_EQ(ToWindows1251(QString::fromUtf8(utf8)), sent) << utf8;
    }
}

TEST(CodePage, roundTripsEveryByteButTheUnassignedOne) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_TRUE(b == 0x98 || ToWindows1251(FromWindows1251(one)) == one) << "byte " << b;
    }
}

}  // namespace
}  // namespace pelta::protocol

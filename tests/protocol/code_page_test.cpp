#include "protocol/code_page.h"

#include <gtest/gtest.h>

namespace pelta::protocol {
namespace {

TEST(CodePage, turnsACharacterItLacksIntoOneQuestionMark) {
    EXPECT_EQ(ToWindows1251(QStringLiteral("a漢b")), "a?b");
    EXPECT_EQ(ToWindows1251(QString::fromUtf8("x\xF0\x9F\x98\x80y")), "x?y") << "surrogate pair";
}

TEST(CodePage, findsTheFirstCharacterItLacksWhole) {
    const struct {
        const char* utf8;
        std::optional<char32_t> missing;
    } cases[] = {
        {"", std::nullopt},
        {"Пароль №1 €", std::nullopt},
        {"ab\xC3\xA4"
         "c\xC3\xB6",
         U'\u00E4'},                           // ä, then ö
        {"k\xF0\x9F\x98\x80", U'\U0001F600'},  // a surrogate pair is one character
        {"\xEF\xBF\xBD", U'\uFFFD'},           // what undecodable input turns into
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FirstCharacterOutsideWindows1251(QString::fromUtf8(c.utf8)), c.missing) << c.utf8;
    }
}

TEST(CodePage, roundTripsEveryByteButTheUnassignedOne) {
    EXPECT_EQ(FromWindows1251("\xCF\xF0\xE8\xE2\xE5\xF2\xA8\xB0"), QStringLiteral("ПриветЁ°"));
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98) {
            continue;
        }
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(ToWindows1251(FromWindows1251(one)), one) << "byte " << b;
    }
}

}  // namespace
}  // namespace pelta::protocol

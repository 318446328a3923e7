#include "protocol/code_page.h"

#include <gtest/gtest.h>

namespace pelta::protocol {
namespace {

TEST(CodePage, russianLettersMapToWindows1251Bytes) {
    struct Case {
        QString text;
        std::string bytes;
    };
    const Case cases[] = {
        {QStringLiteral("Привет"), "\xCF\xF0\xE8\xE2\xE5\xF2"},
        {QStringLiteral("ЁёЯя"), "\xA8\xB8\xDF\xFF"},
        {QStringLiteral("°C 20,5"), "\xB0\x43\x20\x32\x30\x2C\x35"},
        {QString(), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToWindows1251(c.text), c.bytes) << c.text.toStdString();
        EXPECT_EQ(FromWindows1251(c.bytes), c.text) << c.text.toStdString();
    }
}

TEST(CodePage, characterOutsideTheCodePageBecomesOneQuestionMark) {
    EXPECT_EQ(ToWindows1251(QStringLiteral("a漢b")), "a?b");
    EXPECT_EQ(ToWindows1251(QString::fromUtf8("x\xF0\x9F\x98\x80y")), "x?y") << "surrogate pair";
    EXPECT_EQ(ToWindows1251(QStringLiteral("?")), "?");
}

TEST(CodePage, everyByteSurvivesARoundTripExceptTheUnassignedOne) {
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

#include "protocol/code_page.h"

#include <gtest/gtest.h>

namespace pelta::protocol {
namespace {

TEST(CodePage, characterOutsideTheCodePageBecomesOneQuestionMark) {
    EXPECT_EQ(ToWindows1251(QStringLiteral("a漢b")), "a?b");
    EXPECT_EQ(ToWindows1251(QString::fromUtf8("x\xF0\x9F\x98\x80y")), "x?y") << "surrogate pair";
}

TEST(CodePage, everyByteSurvivesARoundTripExceptTheUnassignedOne) {
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

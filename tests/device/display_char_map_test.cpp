#include "device/display_char_map.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace pelta::device

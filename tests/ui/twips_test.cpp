#include "ui/twips.h"

#include <gtest/gtest.h>

namespace {

TEST(Twips, convertToPixelsAtFifteenTwipsEachRounded) {
    const std::pair<int, int> cases[] = {{0, 0},  {15, 1},  {30, 2},  {80, 5},
                                         {90, 6}, {100, 7}, {-10, -1}};
    for (const auto& [twips, pixels] : cases) {
        EXPECT_EQ(TwipsToPixels(twips, nullptr), pixels) << twips;
    }
}

}  // namespace

#include "platform/ui/qt/twips.h"

#include <gtest/gtest.h>

namespace {

TEST(TwipsTest, FifteenTwipsAPixelAt96DotsPerInch) {
    EXPECT_EQ(Ui::TwipsToPixels(7605, 96), 507);
    EXPECT_EQ(Ui::TwipsToPixels(4665, 96), 311);
    EXPECT_EQ(Ui::TwipsToPixels(7605, 144), 761);  // 760.5 rounds up
    EXPECT_EQ(Ui::TwipsToPixels(120, 120), 10);
}

}  // namespace

#include "window/twips.h"

#include <gtest/gtest.h>

namespace {

TEST(TwipsTest, FifteenTwipsAPixelAt96DotsPerInch) {
    EXPECT_EQ(Window::TwipsToPixels(7605, 96), 507);
    EXPECT_EQ(Window::TwipsToPixels(4665, 96), 311);
    EXPECT_EQ(Window::TwipsToPixels(7605, 144), 761);  // 760.5 rounds up
    EXPECT_EQ(Window::TwipsToPixels(120, 120), 10);
}

TEST(TwipsTest, LayoutScalesWithTheMonitorsResolution) {
    // 100 %, 150 % and 200 %: the client area 7605 x 4665 twips, and the
    // controls' left edge; halves round up.
    EXPECT_EQ(Window::TwipsToPixels(7605, 96), 507);
    EXPECT_EQ(Window::TwipsToPixels(4665, 96), 311);
    EXPECT_EQ(Window::TwipsToPixels(7605, 144), 761);
    EXPECT_EQ(Window::TwipsToPixels(4665, 144), 467);
    EXPECT_EQ(Window::TwipsToPixels(7605, 192), 1014);
    EXPECT_EQ(Window::TwipsToPixels(4665, 192), 622);
    EXPECT_EQ(Window::TwipsToPixels(120, 144), 12);
    EXPECT_EQ(Window::TwipsToPixels(3255, 192), 434);
}

}  // namespace

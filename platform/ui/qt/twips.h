// Twips (1/1440 inch) to device pixels at a screen's logical resolution.
#pragma once

#include <cmath>

namespace Ui {

inline constexpr int kTwipsPerInch = 1440;

// 15 twips make one pixel at 96 dots per inch, 12 at 120, 10 at 144.
inline int TwipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

}  // namespace Ui

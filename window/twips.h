// Twips (1/1440 inch), the unit of Form1's layout table, to device pixels
// at a screen's resolution: written once for every form runtime.
#pragma once

#include <cmath>

namespace Window {

inline constexpr int kTwipsPerInch = 1440;

// 15 twips make one pixel at 96 dots per inch, 12 at 120, 10 at 144;
// halves round up.
inline int TwipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

}  // namespace Window

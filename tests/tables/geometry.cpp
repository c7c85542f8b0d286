// The drawing's arithmetic by the cases a user's screen shows.
#include "base/geometry.h"

#include <gtest/gtest.h>
#include <vector>

TEST(Geometry, BandsTicksAndCentring) {
    EXPECT_EQ(BackgroundBandHeight(40), 1);   // under 64 pixels: 65 bands of one pixel
    EXPECT_EQ(BackgroundBandHeight(640), 11); // 715 pixels in all, the last bands clipped
    int ticks[5];
    GaugeTickPositions(400, 24, ticks); // a page 400 wide, characters 6 wide: margin 24
    EXPECT_EQ(std::vector<int>(ticks, ticks + 5), (std::vector<int>{24, 112, 200, 288, 375}));
    EXPECT_EQ(CenteredStart(0, 301, 0, 1024), 362); // (-301) / 2 toward zero is -150
    EXPECT_EQ(CenteredStart(10, 211, -5, 2), -101); // (-201) / 2 is -100, (-3) / 2 is -1
}

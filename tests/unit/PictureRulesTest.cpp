// Scaling a picture to its rectangle: exact at its own size, smooth and in place when it grows, averaging
// when it shrinks.
#include "controls/PictureRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

using namespace pictures;

namespace {

std::vector<std::uint32_t> Scaled(const std::vector<std::uint32_t>& from, Extent fromSize, Extent toSize)
{
    std::vector<std::uint32_t> to(static_cast<size_t>(toSize.cx * toSize.cy));
    Resample(from.data(), fromSize, to.data(), toSize);
    return to;
}

TEST(PictureRules, APictureUnderOneDialogUnitOffItsRectangleIsDrawnForItAndOneUnitOffIsFitted)
{
    // Base units of 8 by 16 pixels: one dialog unit is 2 pixels across and 2 down.
    const Extent base{8, 16}, rectangle{100, 40};
    EXPECT_TRUE(IsDrawnFor({101, 39}, rectangle, base));
    EXPECT_FALSE(IsDrawnFor({102, 40}, rectangle, base));
    EXPECT_FALSE(IsDrawnFor({98, 40}, rectangle, base));
    EXPECT_FALSE(IsDrawnFor({100, 42}, rectangle, base));
    EXPECT_FALSE(IsDrawnFor({100, 38}, rectangle, base));
}

TEST(PictureRules, OwnSizeKeepsEveryPixelAndAPlainColourStaysPlainAtAnySize)
{
    std::vector<std::uint32_t> noise(7 * 5);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint32_t>(i * 2654435761u);
    EXPECT_EQ(Scaled(noise, {7, 5}, {7, 5}), noise);
    for (const Extent size : {Extent{878, 105}, Extent{300, 40}, Extent{1, 1}}) {
        // Full and empty channels among them: the filter's overshoot is clamped, never the colour.
        const auto scaled = Scaled(std::vector<std::uint32_t>(585 * 71, 0x00FF8040), {585, 71}, size);
        EXPECT_EQ(std::count(scaled.begin(), scaled.end(), 0x00FF8040u), size.cx * size.cy) << size.cx;
    }
}

TEST(PictureRules, GrowingAddsShadesInOrderWithoutDriftAndShrinkingAverages)
{
    // Nearest-neighbour would only repeat the ramp's 16 shades.
    std::vector<std::uint32_t> ramp;
    for (std::uint32_t i = 0; i < 16; ++i)
        ramp.push_back(i * 17 * 0x010101u);
    const std::vector<std::uint32_t> wide = Scaled(ramp, {16, 1}, {40, 1});
    EXPECT_TRUE(std::is_sorted(wide.begin(), wide.end()));
    EXPECT_GT(std::set<std::uint32_t>(wide.begin(), wide.end()).size(), 30u);
    // Bars mirrored about the middle stay so: no half-pixel drift.
    const std::vector<std::uint32_t> bars = {0, 0, 0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0xFFFFFF, 0xFFFFFF, 0, 0};
    for (const int width : {17, 22, 33, 6}) {
        const std::vector<std::uint32_t> scaled = Scaled(bars, {11, 1}, {width, 1});
        EXPECT_TRUE(std::equal(scaled.begin(), scaled.end(), scaled.rbegin())) << width;
    }
    // A one-pixel checkerboard halved comes out grey, not black or white.
    std::vector<std::uint32_t> checks(8 * 8);
    for (size_t i = 0; i < checks.size(); ++i)
        checks[i] = (i / 8 + i % 8) % 2 ? 0xFFFFFF : 0;
    for (const std::uint32_t pixel : Scaled(checks, {8, 8}, {4, 4}))
        EXPECT_NEAR(static_cast<int>(pixel & 0xFF), 128, 24);
}

}  // namespace

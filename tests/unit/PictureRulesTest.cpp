// Fitting a picture to its rectangle: when it is left alone, and how smoothly it is scaled.
#include "controls/PictureRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

using namespace pictures;

namespace {

std::vector<std::uint32_t> Scaled(const std::vector<std::uint32_t>& from, Extent fromSize, Extent toSize)
{
    std::vector<std::uint32_t> to(static_cast<size_t>(toSize.cx) * static_cast<size_t>(toSize.cy));
    Resample(from.data(), fromSize, to.data(), toSize);
    return to;
}

TEST(PictureRules, APictureLessThanOneDialogUnitOffItsRectangleIsLeftAlone)
{
    // Base units 6 and 13: a unit is 1.5 pixels across and 1.625 down.
    EXPECT_TRUE(IsDrawnFor({585, 71}, {585, 72}, {6, 13}));
    EXPECT_TRUE(IsDrawnFor({92, 48}, {91, 49}, {6, 13}));
    EXPECT_FALSE(IsDrawnFor({92, 48}, {94, 48}, {6, 13}));
    EXPECT_FALSE(IsDrawnFor({92, 48}, {92, 46}, {6, 13}));
    EXPECT_FALSE(IsDrawnFor({585, 71}, {878, 107}, {9, 20}));
}

TEST(PictureRules, TheSameSizeGivesTheSamePixelsAndAPlainColourStaysPlainAtAnySize)
{
    std::vector<std::uint32_t> noise(7 * 5);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint32_t>(i * 2654435761u);
    EXPECT_EQ(Scaled(noise, {7, 5}, {7, 5}), noise);

    const std::uint32_t plain = 0x00C08040;
    for (const Extent size : {Extent{878, 107}, Extent{1170, 142}, Extent{300, 40}, Extent{1, 1}}) {
        const std::vector<std::uint32_t> scaled =
            Scaled(std::vector<std::uint32_t>(585 * 71, plain), {585, 71}, size);
        EXPECT_EQ(std::count(scaled.begin(), scaled.end(), plain), size.cx * size.cy) << size.cx;
    }
}

TEST(PictureRules, GrowingMakesNewShadesInOrderAndMirrorsAMirroredPicture)
{
    // A ramp across, as one row: nearest-neighbour would only repeat its 16 shades.
    std::vector<std::uint32_t> ramp;
    for (std::uint32_t i = 0; i < 16; ++i)
        ramp.push_back(i * 17 * 0x010101u);
    const std::vector<std::uint32_t> wide = Scaled(ramp, {16, 1}, {40, 1});
    EXPECT_TRUE(std::is_sorted(wide.begin(), wide.end()));
    EXPECT_GT(std::set<std::uint32_t>(wide.begin(), wide.end()).size(), 30u);

    // A bar in the middle of a mirrored picture stays in the middle: no half-pixel drift.
    const std::vector<std::uint32_t> bar = {0, 0, 0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0xFFFFFF, 0xFFFFFF, 0, 0};
    for (const int width : {17, 22, 33, 6}) {
        const std::vector<std::uint32_t> scaled = Scaled(bar, {11, 1}, {width, 1});
        EXPECT_TRUE(std::equal(scaled.begin(), scaled.end(), scaled.rbegin())) << width;
    }
}

TEST(PictureRules, ShrinkingAveragesInsteadOfPickingPixels)
{
    std::vector<std::uint32_t> checks(8 * 8);
    for (size_t i = 0; i < checks.size(); ++i)
        checks[i] = ((i / 8 + i % 8) % 2) ? 0xFFFFFF : 0;
    for (const std::uint32_t pixel : Scaled(checks, {8, 8}, {4, 4})) {
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_NEAR(static_cast<int>((pixel >> (8 * channel)) & 0xFF), 128, 24);
    }
}

}  // namespace

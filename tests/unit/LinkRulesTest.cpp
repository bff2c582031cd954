// The hyperlink's rules: byte limits on code-page-936 text, and the hover's edges.
#include "controls/LinkRules.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace links;

namespace {

TEST(LinkRules, CaptionHolds31AndTargetHolds1023BytesWithChineseCountingTwoAndNoCharacterHalved)
{
    const auto ascii = [](size_t n) { return std::wstring(n, L'a'); };
    const auto chinese = [](size_t n) { return std::wstring(n, L'关'); };
    const std::wstring pair = L"\xD83D\xDE00";  // one character beyond the 16-bit range
    EXPECT_EQ(Cp936Bytes(L"\U0001F600"), 4u);   // however wide wchar_t is
    for (const auto& [text, caption, target] : {std::tuple{ascii(31), true, true},
                                                {ascii(32), false, true},
                                                {chinese(15) + L"a", true, true},
                                                {chinese(16), false, true},
                                                {ascii(1023), false, true},
                                                {ascii(1024), false, false},
                                                {chinese(511) + L"a", false, true},
                                                {chinese(512), false, false}}) {
        EXPECT_EQ(CaptionFits(text), caption) << text.size();
        EXPECT_EQ(TargetFits(text), target) << text.size();
    }
    EXPECT_EQ(FittingPrefix(ascii(30) + L"关", 31), ascii(30));
    EXPECT_EQ(FittingPrefix(ascii(28) + pair, 31), ascii(28));
    EXPECT_EQ(FittingPrefix(ascii(27) + pair, 31), ascii(27) + pair);
    // Without a caption a link draws the control's own text, cut only where a target would be.
    EXPECT_EQ(TextToDraw(L"", chinese(600)), chinese(511));
}

TEST(LinkRules, EveryEdgeCountsAsInside)
{
    const Bounds bounds{10, 20, 110, 40};
    for (auto [x, y] : {std::pair{10, 30}, {110, 30}, {50, 20}, {50, 40}})
        EXPECT_TRUE(IsInside(bounds, x, y)) << x << "," << y;
    for (auto [x, y] : {std::pair{9, 30}, {111, 30}, {50, 19}, {50, 41}})
        EXPECT_FALSE(IsInside(bounds, x, y)) << x << "," << y;
}

// The system cannot be put into high contrast where the tests run, so the rule is driven here in both modes.
TEST(LinkRules, BlueAndRedInTheNormalSchemeTheSystemsLinkAndHighlightColoursInHighContrast)
{
    const SystemColours system{0x00FFFF00, 0x0000FF00};
    EXPECT_TRUE(TextColour(false, nullptr) == 0xFF0000u && TextColour(true, nullptr) == 0x0000FFu);
    EXPECT_TRUE(TextColour(false, &system) == system.link && TextColour(true, &system) == system.highlight);
}

}  // namespace

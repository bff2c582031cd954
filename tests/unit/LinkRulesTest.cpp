// The hyperlink's rules: byte limits on code-page-936 text, which text stands in, and the hover edges.
#include "controls/LinkRules.h"

#include <gtest/gtest.h>

#include <string>

using namespace links;

namespace {

std::wstring Ascii(size_t n)
{
    return std::wstring(n, L'a');
}

std::wstring Chinese(size_t n)
{
    return std::wstring(n, L'关');
}

TEST(LinkRules, CaptionHolds31AndTargetHolds1023BytesChineseCountingTwo)
{
    EXPECT_EQ(Cp936Bytes(L"关于Velmora"), 11u);
    EXPECT_EQ(Cp936Bytes(L"\U0001F600"), 4u);  // never below its surrogate pair
    EXPECT_TRUE(CaptionFits(Ascii(31)));
    EXPECT_FALSE(CaptionFits(Ascii(32)));
    EXPECT_TRUE(CaptionFits(Chinese(15) + L"a"));
    EXPECT_FALSE(CaptionFits(Chinese(16)));
    EXPECT_TRUE(TargetFits(Ascii(1023)));
    EXPECT_FALSE(TargetFits(Ascii(1024)));
    EXPECT_TRUE(TargetFits(Chinese(511) + L"a"));
    EXPECT_FALSE(TargetFits(Chinese(512)));
}

TEST(LinkRules, FittingPrefixNeverCrossesTheLimitNorHalvesASurrogatePair)
{
    const std::wstring pair = L"\xD83D\xDE00";
    EXPECT_EQ(FittingPrefix(Ascii(30) + L"关", 31), Ascii(30));
    EXPECT_EQ(FittingPrefix(Ascii(29) + L"关", 31), Ascii(29) + L"关");
    EXPECT_EQ(FittingPrefix(Ascii(28) + pair, 31), Ascii(28));
    EXPECT_EQ(FittingPrefix(Ascii(27) + pair, 31), Ascii(27) + pair);
}

TEST(LinkRules, OwnTextWinsAndAnEmptyOneFallsBackToTheControlTextCutOnlyAtTheTargetLimit)
{
    const std::wstring control = L"http://soft.morvane.example/downloads/recorder-tools";  // over 31 bytes
    EXPECT_EQ(TextToDraw(L"caption", control), L"caption");
    EXPECT_EQ(TextToOpen(L"http://t.example", control), L"http://t.example");
    EXPECT_EQ(TextToDraw(L"", control), control);
    EXPECT_EQ(TextToOpen(L"", control), control);
    EXPECT_EQ(TextToOpen(L"", Ascii(2000)), Ascii(1023));
    EXPECT_EQ(TextToDraw(L"", Chinese(600)), Chinese(511));
}

TEST(LinkRules, EdgesCountAsInsideAndOnlyLeavingEndsTheHover)
{
    const Bounds bounds{10, 20, 110, 40};
    for (auto [x, y] : {std::pair{50, 30}, {10, 30}, {110, 30}, {50, 20}, {50, 40}, {110, 40}})
        EXPECT_TRUE(IsInside(bounds, x, y)) << x << "," << y;
    for (auto [x, y] : {std::pair{9, 30}, {111, 30}, {50, 19}, {50, 41}})
        EXPECT_FALSE(IsInside(bounds, x, y)) << x << "," << y;
    // The first move may arrive with the cursor already past the edge; it still starts the hover.
    EXPECT_EQ(OnMouseMove(false, false), HoverChange::Enter);
    EXPECT_EQ(OnMouseMove(false, true), HoverChange::Enter);
    EXPECT_EQ(OnMouseMove(true, true), HoverChange::None);
    EXPECT_EQ(OnMouseMove(true, false), HoverChange::Leave);
}

}  // namespace

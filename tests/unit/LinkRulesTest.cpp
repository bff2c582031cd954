// The hyperlink's rules: byte limits on code-page-936 text, which text stands in, and the hover edges.
#include "controls/LinkRules.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace links;

namespace {

const std::wstring kPair = L"\xD83D\xDE00";  // one character beyond the 16-bit range

std::wstring Ascii(size_t n)
{
    return std::wstring(n, L'a');
}

std::wstring Chinese(size_t n)
{
    return std::wstring(n, L'关');
}

TEST(LinkRules, CaptionHolds31AndTargetHolds1023BytesWithChineseCountingTwo)
{
    EXPECT_EQ(Cp936Bytes(L"关于Velmora"), 11u);
    EXPECT_EQ(Cp936Bytes(L"\U0001F600"), 4u);  // however wide wchar_t is, never below its surrogate pair
    for (const auto& [text, caption, target] :
         {std::tuple{Ascii(31), true, true}, {Ascii(32), false, true}, {Chinese(15) + L"a", true, true},
          {Chinese(16), false, true}, {Ascii(1023), false, true}, {Ascii(1024), false, false},
          {Chinese(511) + L"a", false, true}, {Chinese(512), false, false}}) {
        EXPECT_EQ(CaptionFits(text), caption) << text.size();
        EXPECT_EQ(TargetFits(text), target) << text.size();
    }
    EXPECT_EQ(FittingPrefix(Ascii(30) + L"关", 31), Ascii(30));
    EXPECT_EQ(FittingPrefix(Ascii(29) + L"关", 31), Ascii(29) + L"关");
    EXPECT_EQ(FittingPrefix(Ascii(28) + kPair, 31), Ascii(28));
    EXPECT_EQ(FittingPrefix(Ascii(27) + kPair, 31), Ascii(27) + kPair);
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

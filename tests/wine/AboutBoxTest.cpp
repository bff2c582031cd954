// The About box opened from the main form's system menu again and again, counting GDI objects.
#include "controls/MyStaticLink.h"
#include "tests/wine/WinTestSupport.h"

#include <cstdio>

namespace {

// Live GDI objects of this process. Wine's GetGuiResources is a stub that answers 0, but Wine answers
// GetObjectType for a bare slot number of its handle table, so there the slots are counted instead.
size_t LiveGdiObjects(DWORD type = 0)
{
    const DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0 && type == 0)
        return reported;
    size_t count = 0;
    for (UINT_PTR slot = 1; slot < 0x10000; ++slot) {
        const DWORD found = ::GetObjectType(reinterpret_cast<HGDIOBJ>(slot));
        count += found != 0 && (type == 0 || found == type) ? 1 : 0;
    }
    return count;
}

// The box's picture control carries no identifier of its own; it is the one bitmap static.
HBITMAP LogoOf(HWND box)
{
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return reinterpret_cast<HBITMAP>(::SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
    return nullptr;
}

// Wine's static control never deletes the bitmap it loads for a picture control from its template,
// where Windows does; those logo bitmaps are told apart by their handles and counted separately.
TEST(AboutBox, OpeningAndClosingItHundredsOfTimesLeaksNoGdiObject)
{
    constexpr int kRounds = 300;
    std::vector<HBITMAP> logos;
    std::vector<HFONT> linkFonts;
    size_t objectsBefore = 0;
    size_t fontsBefore = 0;
    size_t logosLeftBefore = 0;
    const auto logosLeft = [&] {
        size_t left = 0;
        for (HBITMAP logo : logos)
            left += ::GetObjectType(logo) == OBJ_BITMAP ? 1 : 0;
        return left;
    };

    RunMainForm([&](HWND form) {
        for (int round = 0; round < kRounds; ++round) {
            if (round == 1) {
                // Counted after a first round, so that what the system creates once and keeps is not
                // taken for a leak.
                objectsBefore = LiveGdiObjects();
                fontsBefore = LiveGdiObjects(OBJ_FONT);
                logosLeftBefore = logosLeft();
            }
            ::PostMessageW(form, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            const HWND box = WaitForOwnedDialog(form);
            ASSERT_NE(box, nullptr) << "round " << round;
            logos.push_back(LogoOf(box));
            for (int id : {IDC_HOME_LINK, IDC_SOFT_LINK}) {
                const auto* link = reinterpret_cast<const CMyStaticLink*>(
                    ::GetWindowLongPtrW(::GetDlgItem(box, id), GWLP_USERDATA));
                linkFonts.push_back(link ? link->Font() : nullptr);
            }
            const WPARAM key = round % 2 ? VK_ESCAPE : VK_RETURN;
            ::PostMessageW(box, WM_KEYDOWN, key, 1);
            ::PostMessageW(box, WM_KEYUP, key, 0xC0000001);
            // The next box is asked for only once this one is gone, or it would open inside its modal loop.
            ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(box); })) << "round " << round;
        }
    });

    ASSERT_EQ(linkFonts.size(), 2u * kRounds);
    size_t fontsAlive = 0;
    for (HFONT font : linkFonts) {
        EXPECT_NE(font, nullptr);
        fontsAlive += ::GetObjectType(font) != 0 ? 1 : 0;
    }
    const size_t objectsAfter = LiveGdiObjects();
    const size_t fontsAfter = LiveGdiObjects(OBJ_FONT);
    const size_t logosLeftAfter = logosLeft();
    const bool counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) != 0;
    std::printf("About box opened and closed %d times, GDI objects counted by %s:\n"
                "  live objects %zu -> %zu, of them logo bitmaps left by the static control %zu -> %zu\n"
                "  fonts %zu -> %zu; link fonts still valid %zu of %zu\n",
                kRounds, counted ? "GetGuiResources" : "probing every handle-table slot", objectsBefore,
                objectsAfter, logosLeftBefore, logosLeftAfter, fontsBefore, fontsAfter, fontsAlive,
                linkFonts.size());

    EXPECT_EQ(fontsAlive, 0u);
    EXPECT_LE(fontsAfter, fontsBefore);
    EXPECT_LE(objectsAfter - logosLeftAfter, objectsBefore - logosLeftBefore);
}

}  // namespace

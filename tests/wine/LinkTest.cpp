// The hyperlink record on a real static control: font, painting, hover, cursor, clicks and detach.
#include "controls/MyStaticLink.h"
#include "res/resource.h"
#include "tests/WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

std::vector<std::wstring> g_opened;

// What the control shows once every repaint due has been done; repainted whole first if asked.
std::vector<COLORREF> Shown(HWND control, bool repaint = false)
{
    if (repaint)
        ::InvalidateRect(control, nullptr, FALSE);
    ::UpdateWindow(::GetParent(control));
    ::UpdateWindow(control);
    std::vector<COLORREF> pixels;
    const HDC dc = ::GetDC(control);
    for (int pixel = 0; pixel < 160 * 16; ++pixel)
        pixels.push_back(::GetPixel(dc, pixel % 160, pixel / 160));
    ::ReleaseDC(control, dc);
    return pixels;
}

// What the control shows painted afresh, over its background, as when it is first shown.
std::vector<COLORREF> Repainted(HWND control)
{
    RECT area{};
    ::GetWindowRect(control, &area);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&area), 2);
    ::InvalidateRect(::GetParent(control), &area, TRUE);
    return Shown(control);
}

// Repaints the control and counts its pixels of a colour.
size_t Painted(HWND control, COLORREF colour)
{
    const std::vector<COLORREF> pixels = Shown(control, true);
    return static_cast<size_t>(std::count(pixels.begin(), pixels.end(), colour));
}

// The link's static is of a class that keeps a DC of its own, which keeps what was selected into it after
// painting. Its box has the About box's font. The mouse stays where it is put first: every move is a
// message sent here, and the box is moved under the cursor, so nothing waits for the system's own moves.
TEST(Link, IsBlueAtRestRedWithTheHandAndTheCaptureWhileOverOpensOnReleaseAndKeepsItsFontToItself)
{
    const POINT cursor{400, 300};  // clear of the box where it first appears
    const LinkOpener previousOpener =
        ReplaceLinkOpener([](const wchar_t* address) { g_opened.emplace_back(address); });
    WNDCLASSW ownDc{};
    ::GetClassInfoW(nullptr, L"Static", &ownDc);
    ownDc.style = (ownDc.style | CS_OWNDC) & ~static_cast<UINT>(CS_PARENTDC);
    ownDc.lpszClassName = L"VelmoraOwnDcStatic";
    ::RegisterClassW(&ownDc);
    const HWND box = ::CreateDialogParamW(nullptr, MAKEINTRESOURCEW(IDD_ABOUTBOX), nullptr, nullptr, 0);
    const auto moveBox = [&](int x, int y) {
        ::SetWindowPos(box, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    };
    moveBox(100, 100);
    const HWND control =
        ::CreateWindowExW(0, ownDc.lpszClassName, L"http://www.morvane.example", WS_CHILD | WS_VISIBLE, 10,
                          10, 160, 16, box, nullptr, nullptr, nullptr);
    CMyStaticLink link;
    EXPECT_FALSE(link.Attach(nullptr));
    ASSERT_TRUE(link.Attach(control));
    EXPECT_FALSE(link.Attach(::GetDlgItem(box, IDC_SOFT_LINK)));
    ASSERT_TRUE(link.SetTarget(L"http://www.morvane.example", L"WWWWWWWW"));
    LOGFONTW dialogFont{}, linkFont{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(box, WM_GETFONT, 0, 0)), sizeof dialogFont,
                 &dialogFont);
    ASSERT_NE(::GetObjectW(link.Font(), sizeof linkFont, &linkFont), 0);
    dialogFont.lfUnderline = TRUE;
    EXPECT_EQ(std::memcmp(&linkFont, &dialogFont, sizeof linkFont), 0) << "not the box's font underlined";
    RECT area{};
    ::GetWindowRect(control, &area);
    // A plain static would let the mouse through to the box.
    EXPECT_EQ(::WindowFromPoint({area.left + 2, area.top + 2}), control);

    // A box just shown reaches the screen a moment later, and a desktop that first appears with it puts the
    // mouse in its middle: only then is the mouse put in place, until the system says it is there.
    EXPECT_TRUE(PumpUntil([&] { return Painted(control, RGB(0, 0, 255)) > 20; }));
    ASSERT_TRUE(PumpUntil([&] {
        POINT at{};
        return ::SetCursorPos(cursor.x, cursor.y) && ::GetCursorPos(&at) && at.x == cursor.x &&
               at.y == cursor.y;
    }));
    const HDC dc = ::GetDC(control);
    EXPECT_NE(::GetCurrentObject(dc, OBJ_FONT), link.Font()) << "the link font was left selected";
    ::ReleaseDC(control, dc);
    // The focus shows as a rectangle around the text, and goes with the focus.
    ::SetFocus(control);
    ::SetFocus(nullptr);
    const std::vector<COLORREF> unfocused = Shown(control);
    ::SetFocus(control);
    EXPECT_TRUE(Shown(control) != unfocused) << "no focus rectangle";
    // The mouse coming and going leaves it drawn once, whatever the hover repaints.
    for (const bool hovering : {true, false}) {
        ::SendMessageW(control, WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(link.IsHovering(), hovering);
        const std::vector<COLORREF> afterTheMove = Shown(control);
        EXPECT_TRUE(afterTheMove == Repainted(control)) << "hovering " << hovering;
    }
    ::SetFocus(nullptr);
    EXPECT_TRUE(Shown(control) == unfocused) << "the focus rectangle stayed";
    // The first move starts the hover wherever the cursor is.
    ::SendMessageW(control, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(::GetCapture(), control);
    EXPECT_GT(Painted(control, RGB(255, 0, 0)), 20u);
    ::SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    // The link under the cursor, touching it with its bottom right corner: still over; a pixel further, out.
    for (const LONG away : {0, 1}) {
        moveBox(100 + cursor.x - area.right - away, 100 + cursor.y - area.bottom - away);
        ::SendMessageW(control, WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(link.IsHovering(), away == 0);
        EXPECT_EQ(::GetCapture() == control, away == 0);
    }
    EXPECT_GT(Painted(control, RGB(0, 0, 255)), 20u);
    // Another window taking the capture ends the hover too.
    ::SendMessageW(control, WM_MOUSEMOVE, 0, 0);
    ::SetCapture(box);
    EXPECT_FALSE(link.IsHovering());

    // Only the release opens.
    ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::SendMessageW(control, WM_LBUTTONUP, 0, 0);
    // Without a target the control's whole text is opened, however long.
    const std::wstring longText = L"http://soft.morvane.example/" + std::wstring(200, L'x');
    ::SetWindowTextW(control, longText.c_str());
    ASSERT_TRUE(link.SetTarget(L"", L""));
    ::SendMessageW(control, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(g_opened, (std::vector<std::wstring>{L"http://www.morvane.example", longText}));
    // Limits count code-page-936 bytes: sixteen Chinese characters are 32 of them.
    EXPECT_FALSE(link.SetTarget(L"http://refused.example", std::wstring(16, L'链')));
    EXPECT_FALSE(link.SetTarget(std::wstring(512, L'链'), L"refused"));
    EXPECT_TRUE(link.Target().empty());

    // Destroying the control detaches the link, which deletes its font.
    const HFONT font = link.Font();
    ::DestroyWindow(control);
    EXPECT_EQ(link.Window(), nullptr);
    EXPECT_EQ(::GetObjectType(font), 0u);
    // An explicit detach gives a control back exactly as it was.
    const HWND other = ::GetDlgItem(box, IDC_SOFT_LINK);
    const LONG style = ::GetWindowLongW(other, GWL_STYLE);
    EXPECT_TRUE(link.Attach(other) && link.Detach() == other && ::GetWindowLongW(other, GWL_STYLE) == style);
    ::DestroyWindow(box);
    ReplaceLinkOpener(previousOpener);
}

}  // namespace

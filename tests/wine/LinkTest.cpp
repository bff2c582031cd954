// The hyperlink record on a real static control: font, painting, hover, cursor, clicks and detach.
#include "controls/MyStaticLink.h"
#include "res/resource.h"
#include "tests/wine/WinTestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> g_opened;

void RecordOpen(const wchar_t* address)
{
    g_opened.emplace_back(address);
}

INT_PTR CALLBACK HostProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// The About box's own statics, in a box shown without its logic, host a link with a real dialog font.
// The mouse stays where it is put at the start: every move is a message sent here, and the box itself is
// moved under the cursor, so nothing depends on when the system delivers a move of its own.
class Link : public ::testing::Test {
protected:
    static constexpr POINT kCursor{400, 300};  // clear of the box where it first appears

    HWND box = nullptr;
    HWND control = nullptr;
    CMyStaticLink link;
    LinkOpener previousOpener = nullptr;

    void SetUp() override
    {
        g_opened.clear();
        previousOpener = ReplaceLinkOpener(RecordOpen);
        ::SetCursorPos(kCursor.x, kCursor.y);
        box = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), nullptr, HostProc, 0);
        ASSERT_NE(box, nullptr);
        control = ::GetDlgItem(box, IDC_HOME_LINK);
        MoveBox(100, 100);
        ASSERT_TRUE(link.Attach(control));
        ASSERT_TRUE(link.SetTarget(L"http://www.morvane.example", L"WWWWWWWW"));
    }
    void TearDown() override
    {
        ::DestroyWindow(box);
        ReplaceLinkOpener(previousOpener);
    }

    void MoveBox(int x, int y) { ::SetWindowPos(box, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW); }
    void MouseMove() { ::SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2)); }

    // Repaints the link and counts its pixels on screen of a colour.
    size_t Painted(COLORREF colour)
    {
        ::InvalidateRect(control, nullptr, FALSE);
        ::UpdateWindow(control);
        RECT area{};
        ::GetClientRect(control, &area);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, area.right, -area.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        const HDC screen = ::GetDC(control);
        const HDC memory = ::CreateCompatibleDC(screen);
        const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ previous = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, area.right, area.bottom, screen, 0, 0, SRCCOPY);
        ::GdiFlush();
        // The bitmap holds blue in the low byte, the reverse of a COLORREF.
        const std::uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        size_t count = 0;
        for (LONG i = 0; bits && i < area.right * area.bottom; ++i)
            count += (static_cast<const std::uint32_t*>(bits)[i] & 0xFFFFFF) == wanted ? 1 : 0;
        ::SelectObject(memory, previous);
        ::DeleteObject(bitmap);
        ::DeleteDC(memory);
        ::ReleaseDC(control, screen);
        return count;
    }
};

TEST_F(Link, TakesOneControlOnceWithAnUnderlinedDialogFontThatDetachOrDestroyDeletes)
{
    EXPECT_FALSE(link.Attach(::GetDlgItem(box, IDC_SOFT_LINK)));
    EXPECT_FALSE(CMyStaticLink().Attach(nullptr));
    LOGFONTW dialogFont{};
    LOGFONTW linkFont{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(box, WM_GETFONT, 0, 0)), sizeof dialogFont, &dialogFont);
    ASSERT_NE(::GetObjectW(link.Font(), sizeof linkFont, &linkFont), 0);
    EXPECT_TRUE(linkFont.lfUnderline);
    EXPECT_EQ(linkFont.lfHeight, dialogFont.lfHeight);
    EXPECT_STREQ(linkFont.lfFaceName, dialogFont.lfFaceName);
    // A plain static lets the mouse through to the dialog.
    RECT area{};
    ::GetWindowRect(control, &area);
    EXPECT_EQ(::WindowFromPoint({area.left + 2, area.top + 2}), control);

    HFONT font = link.Font();
    const LONG_PTR linkProcedure = ::GetWindowLongPtrW(control, GWLP_WNDPROC);
    EXPECT_EQ(link.Detach(), control);
    EXPECT_NE(::GetWindowLongPtrW(control, GWLP_WNDPROC), linkProcedure);
    EXPECT_EQ(::GetObjectType(font), 0u);
    EXPECT_TRUE(link.Target().empty());
    ::SendMessageW(control, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(g_opened.empty());

    // The emptied record serves again, until its control goes.
    ASSERT_TRUE(link.Attach(control));
    font = link.Font();
    Painted(0);
    ::DestroyWindow(control);
    EXPECT_EQ(link.Window(), nullptr);
    EXPECT_EQ(::GetObjectType(font), 0u);
}

// A static with a DC of its own keeps what was selected into it after painting, so a font left selected
// there could not be deleted at detach.
TEST_F(Link, PaintingPutsThePreviousFontBack)
{
    WNDCLASSEXW ownDc{};
    ownDc.cbSize = sizeof ownDc;
    ASSERT_TRUE(::GetClassInfoExW(nullptr, L"Static", &ownDc));
    ownDc.style = (ownDc.style | CS_OWNDC) & ~static_cast<UINT>(CS_PARENTDC);
    ownDc.hInstance = ::GetModuleHandleW(nullptr);
    ownDc.lpszClassName = L"VelmoraOwnDcStatic";
    ::RegisterClassExW(&ownDc);
    const HWND own = ::CreateWindowExW(0, ownDc.lpszClassName, L"http://www.morvane.example",
                                       WS_CHILD | WS_VISIBLE, 10, 10, 200, 16, box, nullptr, nullptr, nullptr);
    CMyStaticLink ownLink;
    ASSERT_TRUE(ownLink.Attach(own));
    ::UpdateWindow(own);
    const HDC dc = ::GetDC(own);
    EXPECT_NE(::GetCurrentObject(dc, OBJ_FONT), ownLink.Font());
    ::ReleaseDC(own, dc);
}

TEST_F(Link, IsBlueAtRestAndRedWithTheCaptureWhileTheMouseIsOver)
{
    // A box just shown reaches the screen a moment later.
    EXPECT_TRUE(PumpUntil([&] { return Painted(RGB(0, 0, 255)) > 20; }));
    EXPECT_EQ(Painted(RGB(255, 0, 0)), 0u);
    // The first move starts the hover wherever the cursor is.
    MouseMove();
    EXPECT_TRUE(link.IsHovering());
    EXPECT_EQ(::GetCapture(), control);
    EXPECT_GT(Painted(RGB(255, 0, 0)), 20u);
    EXPECT_EQ(Painted(RGB(0, 0, 255)), 0u);
    ::SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));

    // The link under the cursor, touching it with its bottom right corner: still over.
    RECT area{};
    ::GetWindowRect(control, &area);
    MoveBox(100 + kCursor.x - area.right, 100 + kCursor.y - area.bottom);
    MouseMove();
    EXPECT_TRUE(link.IsHovering());
    // One pixel further: out.
    MoveBox(99 + kCursor.x - area.right, 99 + kCursor.y - area.bottom);
    MouseMove();
    EXPECT_FALSE(link.IsHovering());
    EXPECT_NE(::GetCapture(), control);
    EXPECT_GT(Painted(RGB(0, 0, 255)), 20u);

    // Another window taking the capture ends the hover too.
    MouseMove();
    ASSERT_TRUE(link.IsHovering());
    ::SetCapture(box);
    EXPECT_FALSE(link.IsHovering());
}

TEST_F(Link, ReleaseOpensTheTargetOrWithoutOneTheWholeControlTextAndRefusesTooLongTexts)
{
    ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_TRUE(g_opened.empty());
    ::SendMessageW(control, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(g_opened, std::vector<std::wstring>{L"http://www.morvane.example"});

    const std::wstring longText = L"http://soft.morvane.example/" + std::wstring(200, L'x');
    ::SetWindowTextW(control, longText.c_str());
    ASSERT_TRUE(link.SetTarget(L"", L""));
    ::SendMessageW(control, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(g_opened.back(), longText);

    // Limits count code-page-936 bytes: sixteen Chinese characters are 32 of them.
    ASSERT_TRUE(link.SetTarget(L"http://new.example", L"new"));
    EXPECT_FALSE(link.SetTarget(L"http://refused.example", std::wstring(16, L'链')));
    EXPECT_FALSE(link.SetTarget(std::wstring(512, L'链'), L"refused"));
    EXPECT_EQ(link.Caption(), L"new");
    EXPECT_EQ(link.Target(), L"http://new.example");
}

}  // namespace

// The hyperlink record on a real static control: font, painting, hover, cursor, clicks and detach.
#include "controls/MyStaticLink.h"
#include "res/resource.h"
#include "tests/WinTestSupport.h"

#include <gtest/gtest.h>

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

// A static on a box with the About box's font. Its class keeps a DC of its own, which keeps what was
// selected into it after painting: a link font left selected there could not be deleted at detach.
// The mouse stays where it is put first: every move is a message sent here, and the box is moved under the
// cursor, so nothing waits for the system to deliver a move of its own.
class Link : public ::testing::Test {
protected:
    static constexpr POINT kCursor{400, 300};  // clear of the box where it first appears
    HWND box = nullptr;
    HWND control = nullptr;
    CMyStaticLink link;
    LinkOpener previousOpener = ReplaceLinkOpener(RecordOpen);

    void SetUp() override
    {
        g_opened.clear();
        ::SetCursorPos(kCursor.x, kCursor.y);
        WNDCLASSEXW ownDc{};
        ownDc.cbSize = sizeof ownDc;
        ::GetClassInfoExW(nullptr, L"Static", &ownDc);
        ownDc.style = (ownDc.style | CS_OWNDC) & ~static_cast<UINT>(CS_PARENTDC);
        ownDc.lpszClassName = L"VelmoraOwnDcStatic";
        ::RegisterClassExW(&ownDc);
        box = ::CreateDialogParamW(nullptr, MAKEINTRESOURCEW(IDD_ABOUTBOX), nullptr, HostProc, 0);
        control = ::CreateWindowExW(0, ownDc.lpszClassName, L"http://www.morvane.example", WS_CHILD | WS_VISIBLE, 10,
                                    10, 160, 16, box, nullptr, nullptr, nullptr);
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
    void MouseMove() { ::SendMessageW(control, WM_MOUSEMOVE, 0, 0); }

    // Repaints the link and counts its pixels of a colour.
    size_t Painted(COLORREF colour)
    {
        ::InvalidateRect(control, nullptr, FALSE);
        ::UpdateWindow(control);
        const HDC dc = ::GetDC(control);
        size_t count = 0;
        for (int x = 0; x < 160; ++x) {
            for (int y = 0; y < 16; ++y)
                count += ::GetPixel(dc, x, y) == colour;
        }
        ::ReleaseDC(control, dc);
        return count;
    }
};

TEST_F(Link, DrawsInAnUnderlinedCopyOfTheDialogFontThatPaintingPutsBackAndDetachDeletes)
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
    Painted(0);
    const HDC dc = ::GetDC(control);
    EXPECT_NE(::GetCurrentObject(dc, OBJ_FONT), link.Font());
    ::ReleaseDC(control, dc);

    const HFONT font = link.Font();
    const LONG_PTR linkProcedure = ::GetWindowLongPtrW(control, GWLP_WNDPROC);
    EXPECT_EQ(link.Detach(), control);
    EXPECT_NE(::GetWindowLongPtrW(control, GWLP_WNDPROC), linkProcedure);
    EXPECT_EQ(::GetObjectType(font), 0u);
    EXPECT_TRUE(link.Target().empty());
    ::SendMessageW(control, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(g_opened.empty());
}

TEST_F(Link, IsBlueAtRestRedWithTheHandAndTheCaptureWhileTheMouseIsOverAndOpensOnRelease)
{
    // A box just shown reaches the screen a moment later.
    EXPECT_TRUE(PumpUntil([&] { return Painted(RGB(0, 0, 255)) > 20; }));
    EXPECT_EQ(Painted(RGB(255, 0, 0)), 0u);
    // The first move starts the hover wherever the cursor is.
    MouseMove();
    EXPECT_EQ(::GetCapture(), control);
    EXPECT_GT(Painted(RGB(255, 0, 0)), 20u);
    EXPECT_EQ(Painted(RGB(0, 0, 255)), 0u);
    ::SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    // The link under the cursor, touching it with its bottom right corner: still over; a pixel further, out.
    RECT area{};
    ::GetWindowRect(control, &area);
    for (const LONG away : {0, 1}) {
        MoveBox(100 + kCursor.x - area.right - away, 100 + kCursor.y - area.bottom - away);
        MouseMove();
        EXPECT_EQ(link.IsHovering(), away == 0);
        EXPECT_EQ(::GetCapture() == control, away == 0);
    }
    EXPECT_GT(Painted(RGB(0, 0, 255)), 20u);
    // Another window taking the capture ends the hover too.
    MouseMove();
    ::SetCapture(box);
    EXPECT_FALSE(link.IsHovering());

    ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_TRUE(g_opened.empty());
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
}

}  // namespace

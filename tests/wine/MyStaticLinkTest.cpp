// The hyperlink record on real static controls: attach, texts, painting, hover, clicks and detach.
#include "controls/MyStaticLink.h"
#include "res/resource.h"
#include "tests/wine/WinTestSupport.h"

namespace {

std::vector<std::wstring> g_opened;

void RecordOpen(const wchar_t* address)
{
    g_opened.emplace_back(address);
}

INT_PTR CALLBACK HostProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// Hosts the links on the About box's own statics, shown modelessly, so they have a real dialog font.
class LinkOnStatic : public ::testing::Test {
protected:
    HWND dialog = nullptr;
    HWND control = nullptr;
    HWND other = nullptr;
    CMyStaticLink link;
    LinkOpener previousOpener = nullptr;

    void SetUp() override
    {
        g_opened.clear();
        // Away from where the dialog appears, so that no real mouse move reaches a link by accident.
        ::SetCursorPos(5, 5);
        previousOpener = ReplaceLinkOpener(RecordOpen);
        dialog = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), nullptr,
                                      HostProc, 0);
        ASSERT_NE(dialog, nullptr);
        control = ::GetDlgItem(dialog, IDC_HOME_LINK);
        other = ::GetDlgItem(dialog, IDC_SOFT_LINK);
        ::SetWindowPos(dialog, HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetForegroundWindow(dialog);
        PumpFor(100);
    }

    void TearDown() override
    {
        if (::GetCapture())
            ::ReleaseCapture();
        if (dialog)
            ::DestroyWindow(dialog);
        ReplaceLinkOpener(previousOpener);
    }

    // Repaints the link and counts the pixels of a colour.
    size_t Painted(COLORREF colour)
    {
        ::InvalidateRect(control, nullptr, FALSE);
        ::UpdateWindow(control);
        return CountColour(control, colour);
    }
};

TEST(LinkBytesOnWindows, TableFreeCountMatchesCodePage936ForItsCharacters)
{
    for (const wchar_t* text : {L"http://www.morvane.example", L"关于Morvane科技-Quilmar监控恢复软件",
                                L"官网:", L"请联系Morvane软件科技数据中心,010-55501234"}) {
        const int bytes = ::WideCharToMultiByte(936, 0, text, -1, nullptr, 0, nullptr, nullptr) - 1;
        EXPECT_EQ(links::Cp936Bytes(text), static_cast<size_t>(bytes)) << bytes;
    }
}

TEST_F(LinkOnStatic, AttachTakesOneRealControlOnceWithAnUnderlinedCopyOfTheDialogFont)
{
    EXPECT_FALSE(link.Attach(nullptr));
    ASSERT_TRUE(link.Attach(control));
    EXPECT_EQ(::GetWindowLongPtrW(control, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&link));
    // Without the notify style the static would let the mouse through.
    EXPECT_TRUE(::GetWindowLongPtrW(control, GWL_STYLE) & SS_NOTIFY);

    LOGFONTW dialogFont{};
    LOGFONTW linkFont{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof dialogFont,
                 &dialogFont);
    ASSERT_NE(::GetObjectW(link.Font(), sizeof linkFont, &linkFont), 0);
    EXPECT_EQ(linkFont.lfUnderline, 1);
    EXPECT_EQ(linkFont.lfHeight, dialogFont.lfHeight);
    EXPECT_STREQ(linkFont.lfFaceName, dialogFont.lfFaceName);

    EXPECT_FALSE(link.Attach(other));
    EXPECT_EQ(link.Window(), control);
    EXPECT_EQ(::GetWindowLongPtrW(other, GWLP_USERDATA), 0);
}

TEST_F(LinkOnStatic, SetTargetRefusesTooLongTextsMeasuredInCodePage936AndKeepsTheOldOnes)
{
    ASSERT_TRUE(link.Attach(control));
    const std::wstring chinese31 = std::wstring(15, L'链') + L"c";
    EXPECT_TRUE(link.SetTarget(L"http://new.example", std::wstring(31, L'c')));
    EXPECT_TRUE(link.SetTarget(L"http://new.example", chinese31));
    EXPECT_FALSE(link.SetTarget(L"http://refused.example", std::wstring(32, L'c')));
    EXPECT_FALSE(link.SetTarget(L"http://refused.example", std::wstring(16, L'链')));
    EXPECT_EQ(link.Caption(), chinese31);
    EXPECT_EQ(link.Target(), L"http://new.example");

    const std::wstring chinese1023 = std::wstring(511, L'链') + L"t";
    EXPECT_TRUE(link.SetTarget(std::wstring(1023, L't'), L""));
    EXPECT_TRUE(link.SetTarget(chinese1023, L"c"));
    EXPECT_FALSE(link.SetTarget(std::wstring(1024, L't'), L"d"));
    EXPECT_FALSE(link.SetTarget(std::wstring(512, L'链'), L"d"));
    EXPECT_EQ(link.Target(), chinese1023);
    EXPECT_EQ(link.Caption(), L"c");
}

TEST_F(LinkOnStatic, DrawsBlueAtRestRedWhileTheMouseIsOverAndShowsTheHand)
{
    ASSERT_TRUE(link.Attach(control));
    ASSERT_TRUE(link.SetTarget(L"http://www.morvane.example", L"WWWWWWWW"));
    PumpFor(100);
    EXPECT_GT(Painted(kBlue), 20u);
    EXPECT_EQ(Painted(kRed), 0u);

    // Real pointer movement: the control must see the move and take the capture.
    RECT area{};
    ::GetWindowRect(control, &area);
    const int y = (area.top + area.bottom) / 2;
    ::SetCursorPos((area.left + area.right) / 2, y);
    ASSERT_TRUE(PumpUntil([&] { return link.IsHovering(); })) << "no mouse move reached the link";
    EXPECT_EQ(::GetCapture(), control);
    EXPECT_GT(Painted(kRed), 20u);
    EXPECT_EQ(Painted(kBlue), 0u);
    ::SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));

    // Out through the left edge onto the dialog: the hover ends and the capture goes back.
    ::SetCursorPos(area.left - 8, y);
    ASSERT_TRUE(PumpUntil([&] { return !link.IsHovering(); }));
    EXPECT_NE(::GetCapture(), control);
    EXPECT_GT(Painted(kBlue), 20u);
    EXPECT_EQ(Painted(kRed), 0u);

    // Another window taking the capture ends the hover too.
    ::SetCursorPos((area.left + area.right) / 2, y);
    ASSERT_TRUE(PumpUntil([&] { return link.IsHovering(); }));
    ::SetCapture(other);
    EXPECT_FALSE(link.IsHovering());
}

TEST_F(LinkOnStatic, ReleaseOpensTheTargetOnceAndThePressAloneNothing)
{
    ASSERT_TRUE(link.Attach(control));
    ASSERT_TRUE(link.SetTarget(L"http://www.morvane.example", L"home"));
    ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_TRUE(g_opened.empty());
    ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(g_opened, (std::vector<std::wstring>{L"http://www.morvane.example"}));

    // With no target the control's whole text is opened, however long.
    const std::wstring longText = L"http://soft.morvane.example/" + std::wstring(200, L'x');
    ::SetWindowTextW(control, longText.c_str());
    ASSERT_TRUE(link.SetTarget(L"", L""));
    ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(g_opened.back(), longText);
    EXPECT_EQ(g_opened.size(), 2u);
}

TEST_F(LinkOnStatic, DetachOrDestroyGivesTheControlBackEmptiesTheRecordAndDeletesItsFont)
{
    const LONG_PTR ownProcedure = ::GetWindowLongPtrW(control, GWLP_WNDPROC);
    EXPECT_EQ(link.Detach(), nullptr);
    ASSERT_TRUE(link.Attach(control));
    ASSERT_TRUE(link.SetTarget(L"http://www.morvane.example", L"home"));
    HFONT font = link.Font();
    EXPECT_EQ(link.Detach(), control);
    EXPECT_EQ(::GetWindowLongPtrW(control, GWLP_WNDPROC), ownProcedure);
    EXPECT_EQ(::GetWindowLongPtrW(control, GWLP_USERDATA), 0);
    EXPECT_EQ(::GetObjectType(font), 0u);
    EXPECT_TRUE(link.Target().empty());
    // An ordinary static again: a release opens nothing.
    ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(g_opened.empty());

    // The emptied record serves the control again, until the control goes.
    ASSERT_TRUE(link.Attach(control));
    ASSERT_TRUE(link.SetTarget(L"http://www.morvane.example", L"home"));
    Painted(kBlue);  // as a shown link always has been
    font = link.Font();
    ::DestroyWindow(control);
    EXPECT_EQ(link.Window(), nullptr);
    EXPECT_EQ(link.Font(), nullptr);
    EXPECT_TRUE(link.Caption().empty());
    EXPECT_TRUE(link.Target().empty());
    EXPECT_EQ(::GetObjectType(font), 0u);
}

// A static with a DC of its own keeps whatever was selected into it after painting ends, so a font left
// selected there could not be deleted at detach.
TEST_F(LinkOnStatic, PaintingPutsThePreviousFontBackSoDetachCanDeleteTheLinkFont)
{
    WNDCLASSEXW ownDc{};
    ownDc.cbSize = sizeof ownDc;
    ASSERT_TRUE(::GetClassInfoExW(nullptr, L"Static", &ownDc));
    ownDc.style = (ownDc.style | CS_OWNDC) & ~static_cast<UINT>(CS_PARENTDC);
    ownDc.hInstance = ::GetModuleHandleW(nullptr);
    ownDc.lpszClassName = L"VelmoraOwnDcStatic";
    ::RegisterClassExW(&ownDc);
    const HWND ownDcStatic = ::CreateWindowExW(0, L"VelmoraOwnDcStatic", L"http://www.morvane.example",
                                               WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 10, 200, 16, dialog,
                                               nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(link.Attach(ownDcStatic));
    const HFONT font = link.Font();
    ::InvalidateRect(ownDcStatic, nullptr, FALSE);
    ::UpdateWindow(ownDcStatic);
    const HDC dc = ::GetDC(ownDcStatic);
    EXPECT_NE(::GetCurrentObject(dc, OBJ_FONT), font);
    ::ReleaseDC(ownDcStatic, dc);
    EXPECT_EQ(link.Detach(), ownDcStatic);
    EXPECT_EQ(::GetObjectType(font), 0u);
}

}  // namespace

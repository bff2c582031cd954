// The About box as its user reaches it: system menu, links that light up and open, Escape and Enter.
#include "Harness.h"

#include "dialogs/Texts.h"
#include "res/resource.h"

#include <cstdint>
#include <cstdlib>

namespace {

// A key through the system's input queue, as if typed; with KEYEVENTF_UNICODE, the character instead.
void SendKey(WORD virtualKey, DWORD flags, wchar_t character = 0)
{
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = virtualKey;
    key.ki.wScan = character;
    key.ki.dwFlags = flags;
    ::SendInput(1, &key, sizeof key);
}

void ClickMouseButton()
{
    INPUT buttons[2] = {};
    buttons[0].type = buttons[1].type = INPUT_MOUSE;
    buttons[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    buttons[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, buttons, sizeof buttons[0]);
}

// Real keys, as a user would: Alt+Space opens the system menu and the entry's access key 关 chooses
// it. The menu itself cannot be read from outside the program under Wine (GetSystemMenu fails across
// processes); the unit tests check what goes into it and the built-executable test its text.
HWND OpenAboutBox(HWND form)
{
    ::SetForegroundWindow(form);
    if (!WaitUntil([&] { return ::GetForegroundWindow() == form && ThreadStateOf(form).hwndFocus; }))
        return nullptr;
    SendKey(VK_MENU, 0);
    SendKey(VK_SPACE, 0);
    SendKey(VK_SPACE, KEYEVENTF_KEYUP);
    SendKey(VK_MENU, KEYEVENTF_KEYUP);
    // Wine marks a tracked system menu as menu mode only, without the system-menu flag.
    if (!WaitUntil([&] {
            const GUITHREADINFO state = ThreadStateOf(form);
            return (state.flags & GUI_INMENUMODE) && state.hwndMenuOwner == form;
        }))
        return nullptr;
    SendKey(0, KEYEVENTF_UNICODE, L'关');
    SendKey(0, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, L'关');
    return WaitForOwnedDialog(form);
}

RECT AreaOf(HWND window)
{
    RECT area{};
    ::GetWindowRect(window, &area);
    return area;
}

struct ColourCount {
    size_t red;
    size_t blue;
};

// Reads what is on screen, where another process's window shows its painting.
ColourCount ColoursOnScreen(const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::GdiFlush();
    ColourCount count{0, 0};
    for (int i = 0; bits && i < width * height; ++i) {
        const std::uint32_t pixel = static_cast<const std::uint32_t*>(bits)[i] & 0xFFFFFF;
        count.red += pixel == 0xFF0000 ? 1 : 0;
        count.blue += pixel == 0x0000FF ? 1 : 0;
    }
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return count;
}

// Between an empty spot of the box and the link, a step at a time: a pointer that jumps straight
// from the desktop may never be seen to arrive.
void Glide(HWND box, HWND link, bool onto)
{
    const RECT target = AreaOf(link);
    const int y = (target.top + target.bottom) / 2;
    const int outside = AreaOf(box).left + 8;
    const int inside = target.left + 12;
    for (int x = 0; x <= inside - outside; x += 6) {
        ::SetCursorPos(onto ? outside + x : inside - x, y);
        ::Sleep(15);
    }
}

void ExpectAboutBoxOver(HWND box, HWND form)
{
    EXPECT_EQ(Text(box), L"关于Morvane科技-Quilmar监控恢复软件");
    const RECT inner = AreaOf(box);
    const RECT outer = AreaOf(form);
    EXPECT_LE(std::abs((inner.left + inner.right) - (outer.left + outer.right)), 2);
    EXPECT_LE(std::abs((inner.top + inner.bottom) - (outer.top + outer.bottom)), 2);
    EXPECT_EQ(ItemText(box, IDC_HOME_LINK), texts::kHomePage);
    EXPECT_EQ(ItemText(box, IDC_SOFT_LINK), texts::kSoftwareSite);
}

using About = CFormTest;

TEST_F(About, SystemMenuOpensTheBoxWhoseLinksLightUpAndOpenTheirAddresses)
{
    CBrowserStandIn browser;
    const HWND box = OpenAboutBox(form);
    ASSERT_TRUE(box) << "Alt+Space and the access key did not open the About box";
    ExpectAboutBoxOver(box, form);

    const HWND home = ::GetDlgItem(box, IDC_HOME_LINK);
    const RECT homeArea = AreaOf(home);
    EXPECT_TRUE(WaitUntil([&] { return ColoursOnScreen(homeArea).blue > 20; }));
    EXPECT_EQ(ColoursOnScreen(homeArea).red, 0u);

    Glide(box, home, true);
    ASSERT_TRUE(WaitUntil([&] { return ThreadStateOf(form).hwndCapture == home; }));
    EXPECT_TRUE(WaitUntil([&] {
        const ColourCount colours = ColoursOnScreen(homeArea);
        return colours.red > 20 && colours.blue == 0;
    })) << "the link did not turn red under the mouse";

    ClickMouseButton();
    ASSERT_TRUE(browser.WaitForAddresses(1));
    EXPECT_EQ(browser.Addresses(), std::vector<std::wstring>{std::wstring(texts::kHomePage)});
    EXPECT_TRUE(::IsWindowVisible(box));

    Glide(box, home, false);
    EXPECT_TRUE(WaitUntil([&] { return ThreadStateOf(form).hwndCapture != home; }));
    EXPECT_TRUE(WaitUntil([&] {
        const ColourCount colours = ColoursOnScreen(homeArea);
        return colours.blue > 20 && colours.red == 0;
    })) << "the link stayed red after the mouse left";

    PressKey(box, VK_ESCAPE);
    ASSERT_TRUE(WaitForWindowGone(box));
    EXPECT_TRUE(program.IsRunning());

    // A second box is built afresh; Enter closes it without opening anything.
    const HWND again = OpenAboutBox(form);
    ASSERT_TRUE(again);
    ExpectAboutBoxOver(again, form);
    PressKey(again, VK_RETURN);
    ASSERT_TRUE(WaitForWindowGone(again));
    EXPECT_EQ(browser.Addresses().size(), 1u);
    EXPECT_TRUE(::IsWindowEnabled(form));

    PressKey(form, VK_ESCAPE);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

}  // namespace

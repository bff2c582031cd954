// The About box as its user reaches it: system menu, links that light up and open, Escape and Enter.
#include "Harness.h"

#include "dialogs/Texts.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace {

void SendKey(WORD virtualKey, wchar_t unicode = 0)
{
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = unicode ? 0 : virtualKey;
        key.ki.wScan = unicode;
        key.ki.dwFlags = unicode ? KEYEVENTF_UNICODE : 0;
    }
    keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof keys[0]);
}

void SendButton(DWORD flags)
{
    INPUT button{};
    button.type = INPUT_MOUSE;
    button.mi.dwFlags = flags;
    ::SendInput(1, &button, sizeof button);
}

GUITHREADINFO ThreadStateOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info;
}

// Real keys, as a user would: Alt+Space opens the system menu and the entry's access key 关 chooses
// it. The menu itself cannot be read from outside the program under Wine (GetSystemMenu fails across
// processes), so the Win32 tests check its items in-process.
HWND OpenAboutBox(HWND form)
{
    ::SetForegroundWindow(form);
    if (!WaitUntil([&] { return ::GetForegroundWindow() == form && ThreadStateOf(form).hwndFocus; }))
        return nullptr;
    INPUT altSpace[4] = {};
    const WORD keys[4] = {VK_MENU, VK_SPACE, VK_SPACE, VK_MENU};
    for (int i = 0; i < 4; ++i) {
        altSpace[i].type = INPUT_KEYBOARD;
        altSpace[i].ki.wVk = keys[i];
        altSpace[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    ::SendInput(4, altSpace, sizeof altSpace[0]);
    // Wine marks a tracked system menu as menu mode only, without the system-menu flag.
    if (!WaitUntil([&] {
            const GUITHREADINFO state = ThreadStateOf(form);
            return (state.flags & GUI_INMENUMODE) && state.hwndMenuOwner == form;
        }))
        return nullptr;
    SendKey(0, L'关');
    return WaitForOwnedDialog(form);
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
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::GdiFlush();
    ColourCount count{0, 0};
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) {
        const std::uint32_t pixel = pixels[i] & 0xFFFFFF;
        count.red += pixel == 0xFF0000 ? 1 : 0;
        count.blue += pixel == 0x0000FF ? 1 : 0;
    }
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return count;
}

RECT AreaOf(HWND window)
{
    RECT area{};
    ::GetWindowRect(window, &area);
    return area;
}

// From an empty spot of the box onto the link, a step at a time: a pointer that jumps straight
// from the desktop may never be seen to arrive.
void GlideOnto(HWND box, HWND link)
{
    const RECT target = AreaOf(link);
    const RECT around = AreaOf(box);
    const int y = (target.top + target.bottom) / 2;
    for (int x = around.left + 8; x <= target.left + 12; x += 6) {
        ::SetCursorPos(x, y);
        ::Sleep(15);
    }
}

void GlideOff(HWND box, HWND link)
{
    const RECT target = AreaOf(link);
    const int y = (target.top + target.bottom) / 2;
    for (int x = target.left + 12; x >= AreaOf(box).left + 8; x -= 6) {
        ::SetCursorPos(x, y);
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

TEST(About, SystemMenuOpensTheBoxWhoseLinksLightUpAndOpenTheirAddresses)
{
    CBrowserStandIn browser;
    CProgram program;
    ASSERT_TRUE(program.Start());
    const HWND form = program.WaitForForm();
    ASSERT_TRUE(form);

    const HWND box = OpenAboutBox(form);
    ASSERT_TRUE(box) << "Alt+Space and the access key did not open the About box";
    ExpectAboutBoxOver(box, form);

    const HWND home = ::GetDlgItem(box, IDC_HOME_LINK);
    const RECT homeArea = AreaOf(home);
    EXPECT_TRUE(WaitUntil([&] { return ColoursOnScreen(homeArea).blue > 20; }));
    EXPECT_EQ(ColoursOnScreen(homeArea).red, 0u);

    GlideOnto(box, home);
    ASSERT_TRUE(WaitUntil([&] { return ThreadStateOf(form).hwndCapture == home; }));
    EXPECT_TRUE(WaitUntil([&] {
        const ColourCount colours = ColoursOnScreen(homeArea);
        return colours.red > 20 && colours.blue == 0;
    })) << "the link did not turn red under the mouse";

    SendButton(MOUSEEVENTF_LEFTDOWN);
    SendButton(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(browser.WaitForAddresses(1));
    EXPECT_EQ(browser.Addresses(), std::vector<std::wstring>{std::wstring(texts::kHomePage)});
    EXPECT_TRUE(::IsWindowVisible(box));

    GlideOff(box, home);
    EXPECT_TRUE(WaitUntil([&] { return ThreadStateOf(form).hwndCapture != home; }));
    EXPECT_TRUE(WaitUntil([&] {
        const ColourCount colours = ColoursOnScreen(homeArea);
        return colours.blue > 20 && colours.red == 0;
    })) << "the link stayed red after the mouse left";

    PressKey(box, VK_ESCAPE);
    ASSERT_TRUE(WaitForWindowGone(box));
    EXPECT_TRUE(program.IsRunning());

    // A second box is built afresh, and its links work just the same.
    const HWND again = OpenAboutBox(form);
    ASSERT_TRUE(again);
    ExpectAboutBoxOver(again, form);
    const HWND soft = ::GetDlgItem(again, IDC_SOFT_LINK);
    GlideOnto(again, soft);
    ASSERT_TRUE(WaitUntil([&] { return ThreadStateOf(form).hwndCapture == soft; }));
    SendButton(MOUSEEVENTF_LEFTDOWN);
    SendButton(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(browser.WaitForAddresses(2));
    EXPECT_EQ(browser.Addresses().back(), texts::kSoftwareSite);
    GlideOff(again, soft);

    PressKey(again, VK_RETURN);
    ASSERT_TRUE(WaitForWindowGone(again));
    EXPECT_EQ(browser.Addresses().size(), 2u);
    EXPECT_TRUE(::IsWindowEnabled(form));

    PressKey(form, VK_ESCAPE);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

}  // namespace

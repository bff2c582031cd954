// The shipped program as its user meets it: started, handing over by Enter, its About box reached by keys,
// and closed.
#include "dialogs/Texts.h"
#include "res/resource.h"
#include "tests/e2e/Harness.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::wstring> SettingsKeys()
{
    std::vector<std::wstring> names;
    HKEY software = nullptr;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &software);
    wchar_t name[256];
    for (DWORD i = 0, length = 256; ::RegEnumKeyExW(software, i, name, &length, nullptr, nullptr, nullptr,
                                                    nullptr) == ERROR_SUCCESS;
         ++i, length = 256)
        names.emplace_back(name);
    ::RegCloseKey(software);
    return names;
}

TEST(Program, StartsWithTheFocusInTheOffsetBoxHandsOverByEnterAndClosesByEscapeLeavingNoSettings)
{
    // A renamed copy: its message boxes take their caption from the name it runs under. An ASCII name, as
    // under the C locale Wine cannot put other characters into a Unix file name.
    const std::wstring copy = BuildFolder() + L"Quilmar Recovery.exe";
    ASSERT_TRUE(::CopyFileW((BuildFolder() + L"Velmora.exe").c_str(), copy.c_str(), FALSE));
    const std::vector<std::wstring> settings = SettingsKeys();
    {
        CBrowserStandIn browser;
        CProgram program(copy);
        const HWND form = program.Form();
        ASSERT_TRUE(form);
        // Wide texts come back whole whatever the code page of the locale the tests run under.
        EXPECT_EQ(Text(form), L"Morvane软件-VelmoraQuilmar监控");
        ASSERT_EQ(FocusOf(form), ::GetDlgItem(form, IDC_SCAN_OFFSET));

        // No push button has the focus, so Enter means the default button.
        PressKey(form, VK_RETURN);
        const HWND message = WaitForDialogOver(form);
        ASSERT_TRUE(message);
        EXPECT_EQ(browser.WaitForAddresses(1), std::vector<std::wstring>{L"http://www.morvane.example/"});
        EXPECT_EQ(Text(message), L"Quilmar Recovery");
        EXPECT_EQ(Text(::GetDlgItem(message, 0xFFFF)), texts::kContactMessage);
        PressKey(message, VK_RETURN);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(message); }));

        // There is no help file: had F1 brought up an error box, the Escape would close that box instead.
        PressKey(form, VK_F1);
        PressKey(form, VK_ESCAPE);
        ASSERT_TRUE(program.WaitForExit());
        EXPECT_EQ(program.ExitCode(), 0u);
    }
    EXPECT_EQ(SettingsKeys(), settings);
    EXPECT_TRUE(::DeleteFileW(copy.c_str()));
}

TEST(Program, OpensTheAboutBoxFromTheSystemMenuByKeysAndItsLinksReachTheBrowser)
{
    CBrowserStandIn browser;
    CProgram program;
    const HWND form = program.Form();
    ASSERT_TRUE(form);
    // Alt+Space opens the system menu, and the About entry's access key chooses it.
    ::SetForegroundWindow(form);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == form && FocusOf(form); }));
    TypeKey(VK_MENU, 0);
    TypeKey(VK_SPACE, 0);
    TypeKey(VK_SPACE, KEYEVENTF_KEYUP);
    TypeKey(VK_MENU, KEYEVENTF_KEYUP);
    ASSERT_TRUE(WaitUntil([&] {
        GUITHREADINFO state{};
        state.cbSize = sizeof state;
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(form, nullptr), &state);
        return (state.flags & GUI_INMENUMODE) && state.hwndMenuOwner == form;
    }));
    TypeKey(0, KEYEVENTF_UNICODE, L'关');
    TypeKey(0, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, L'关');
    const HWND box = WaitForDialogOver(form);
    ASSERT_TRUE(box) << "Alt+Space and the access key did not open the About box";

    for (int link : {IDC_HOME_LINK, IDC_SOFT_LINK})
        ::PostMessageW(::GetDlgItem(box, link), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(browser.WaitForAddresses(2),
              (std::vector<std::wstring>{L"http://soft.morvane.example", L"http://www.morvane.example"}));
    PressKey(box, VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    PressKey(form, VK_ESCAPE);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

}  // namespace

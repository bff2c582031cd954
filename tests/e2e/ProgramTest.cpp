// The shipped program as its user meets it, driven from outside its process: started, handing the user
// over by Enter to a stand-in browser, its About box reached by keys and read and used as a screen reader
// does, and closed; and started on a system that lacks a DLL it loads late.
#include "res/Texts.h"
#include "res/resource.h"
#include "tests/WinTestSupport.h"

#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// Reads go through WM_GETTEXT: GetWindowText does not ask another process's windows.
std::wstring Text(HWND window)
{
    wchar_t text[256] = {};
    ::SendMessageW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

// What a screen reader learns of a window's client object, read from this process as one reads it; and,
// if asked, its default action invoked.
struct Described {
    long role = 0, state = 0;
    std::wstring name, action;
};

Described Describe(HWND window, bool invoke = false)
{
    Described seen;
    IAccessible* object = nullptr;
    // The identifier is declared here: taken from the import library it would be the bytes of a thunk.
    if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&object))))
        return seen;
    VARIANT self{}, value{};  // the object itself: CHILDID_SELF is 0
    self.vt = VT_I4;
    if (object->get_accRole(self, &value) == S_OK && value.vt == VT_I4)
        seen.role = value.lVal;
    if (object->get_accState(self, &value) == S_OK && value.vt == VT_I4)
        seen.state = value.lVal;
    for (auto [read, text] : {std::pair{&IAccessible::get_accName, &seen.name},
                              std::pair{&IAccessible::get_accDefaultAction, &seen.action}}) {
        BSTR answer = nullptr;
        if ((object->*read)(self, &answer) == S_OK && answer)
            *text = answer;
        ::SysFreeString(answer);
    }
    if (invoke)
        object->accDoDefaultAction(self);
    object->Release();
    return seen;
}

// The addresses the stand-in browser was asked to open, once there are that many; sorted, as browsers
// started together may record them in either order.
std::vector<std::string> OpenedAddresses(size_t count)
{
    std::vector<std::string> addresses;
    PumpUntil([&] {
        std::ifstream log(std::filesystem::path(BuildFolder() + L"opened.log"));
        addresses.assign(std::istream_iterator<std::string>(log), {});
        return addresses.size() >= count;
    });
    std::sort(addresses.begin(), addresses.end());
    return addresses;
}

// A copy of the program under a name of its own, started; ended and removed whatever became of the test.
struct CStarted : PROCESS_INFORMATION {
    std::wstring copy;

    explicit CStarted(const std::wstring& name) : PROCESS_INFORMATION{}, copy(BuildFolder() + name)
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (::CopyFileW((BuildFolder() + L"Velmora.exe").c_str(), copy.c_str(), FALSE))
            ::CreateProcessW(copy.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             this);
    }
    ~CStarted()
    {
        ::TerminateProcess(hProcess, 1);
        ::WaitForSingleObject(hProcess, 10000);
        ::CloseHandle(hThread);
        ::CloseHandle(hProcess);
        ::DeleteFileW(copy.c_str());
    }
    // Once it has ended by itself; STILL_ACTIVE while it has not.
    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        if (::WaitForSingleObject(hProcess, 15000) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(hProcess, &code);
        return code;
    }
};

TEST(Program, StartsHandsOverByEnterOpensTheAboutBoxByKeysAndClosesByEscape)
{
    // A renamed copy: its message boxes take their caption from the name it runs under. An ASCII name, as
    // under the C locale Wine cannot put other characters into a Unix file name.
    ::DeleteFileW((BuildFolder() + L"opened.log").c_str());
    const CStarted program(L"Quilmar Recovery.exe");
    const HWND form = WaitForDialog(program.dwThreadId, nullptr);
    ASSERT_TRUE(form);

    // Every control a user acts on, a tab stop or a button, has a name that says what it is for: the boxes,
    // lists and pickers their labels', the buttons their own or one given them.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<std::wstring> buttonNames;
    for (HWND child = ::GetWindow(form, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t kind[8] = {};
        ::GetClassNameW(child, kind, 8);
        if (!(::GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) && _wcsicmp(kind, L"Button") != 0)
            continue;
        const Described control = Describe(child);
        EXPECT_FALSE(control.name.empty()) << "control " << ::GetDlgCtrlID(child) << " has no name";
        if (Text(child) == L"...")
            buttonNames.push_back(control.name);
    }
    EXPECT_EQ(Describe(::GetDlgItem(form, IDC_SCAN_OFFSET)).name, L"扫描偏移(字节):");
    EXPECT_TRUE(buttonNames.size() == 2 && buttonNames[0] != buttonNames[1] && buttonNames[0] != L"...");

    // No push button has the focus, so Enter means the default button. Wide texts come back whole whatever
    // the code page of the locale the tests run under.
    ::SetForegroundWindow(form);
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == form; }));
    Press({VK_RETURN});
    const HWND message = WaitForDialog(program.dwThreadId, form);
    ASSERT_TRUE(message);
    EXPECT_EQ(Text(message), L"Quilmar Recovery");
    EXPECT_EQ(Text(::GetDlgItem(message, 0xFFFF)), texts::kContactMessage);
    Press({VK_RETURN});
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(message); }));

    // Alt+Space opens the system menu, and the About entry's access key chooses it.
    Press({VK_MENU, VK_SPACE});
    ASSERT_TRUE(PumpUntil([&] { return StateOf(program.dwThreadId).hwndMenuOwner == form; }));
    Press({L'关'});
    const HWND box = WaitForDialog(program.dwThreadId, form);
    ASSERT_TRUE(box) << "Alt+Space and the access key did not open the About box";
    // Each link says it is one, named by the address it shows, and opens through its default action. The
    // first Tab brings the focus to the home page's.
    Press({VK_TAB});
    ASSERT_TRUE(
        PumpUntil([&] { return StateOf(program.dwThreadId).hwndFocus == ::GetDlgItem(box, IDC_HOME_LINK); }));
    for (const int link : {IDC_HOME_LINK, IDC_SOFT_LINK}) {
        const Described seen = Describe(::GetDlgItem(box, link), true);
        EXPECT_EQ(seen.role, ROLE_SYSTEM_LINK);
        EXPECT_EQ(seen.name, Text(::GetDlgItem(box, link)));
        const long focused = link == IDC_HOME_LINK ? STATE_SYSTEM_FOCUSED : 0;
        EXPECT_EQ(seen.state & (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSED),
                  STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED | focused);
        EXPECT_EQ(seen.action, texts::kOpenAction);
    }
    // With the home page that Enter handed over. Wine hands each address on in its canonical form, with a
    // slash after the host.
    EXPECT_EQ(OpenedAddresses(3),
              (std::vector<std::string>{"http://soft.morvane.example/", "http://www.morvane.example/",
                                        "http://www.morvane.example/"}));
    Press({VK_ESCAPE});
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(box); }));
    ::CoUninitialize();

    // There is no help file: had F1 brought up an error box, the Escape would close that box instead.
    Press({VK_F1});
    Press({VK_ESCAPE});
    EXPECT_EQ(program.ExitCode(), 0u);
}

TEST(Program, WithoutTheCommonControlsNamesTheMissingFileAndEnds)
{
    // Wine disables a DLL for one program by its file name, so a copy of its own name keeps every other
    // start untouched.
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\NoCommonControls.exe\\DllOverrides",
                      L"comctl32", REG_SZ, L"", sizeof(wchar_t));
    const CStarted program(L"NoCommonControls.exe");
    const HWND message = WaitForDialog(program.dwThreadId, nullptr);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\NoCommonControls.exe");
    ASSERT_TRUE(message) << "no message before the form";
    EXPECT_EQ(Text(message), L"NoCommonControls");
    EXPECT_EQ(Text(::GetDlgItem(message, 0xFFFF)), std::wstring(texts::kSystemFileMissing) + L"comctl32.dll");
    ::PostMessageW(message, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.ExitCode(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

}  // namespace

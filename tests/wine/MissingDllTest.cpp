// The shipped program without a system DLL it loads late: it says which file and ends, without a crash.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

TEST(MissingSystemDll, CommonControlsAreNamedAndTheProgramEnds)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring folder(self, std::wstring_view(self).find_last_of(L"\\/") + 1);
    // Wine disables a DLL for one program by the program's file name (an empty override), so a copy
    // of its own name keeps every other start untouched.
    const std::wstring copy = folder + L"NoCommonControls.exe";
    const wchar_t* const overrides = L"Software\\Wine\\AppDefaults\\NoCommonControls.exe";
    ASSERT_TRUE(::CopyFileW((folder + L"Velmora.exe").c_str(), copy.c_str(), FALSE));
    ::RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(overrides) + L"\\DllOverrides").c_str(), L"comctl32",
                      REG_SZ, L"", sizeof(wchar_t));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(copy.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process));

    // The message box takes the program's name as its caption.
    HWND box = nullptr;
    for (int i = 0; i < 750 && !(box = ::FindWindowW(L"#32770", L"NoCommonControls")); ++i)
        ::Sleep(20);
    wchar_t text[64] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 64);  // sends WM_GETTEXT, which crosses processes
    EXPECT_STREQ(text, L"无法加载系统文件: comctl32.dll");
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(::WaitForSingleObject(process.hProcess, 15000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, overrides);
    EXPECT_TRUE(::DeleteFileW(copy.c_str()));
}

}  // namespace

// A system DLL the program loads late cannot be loaded: it says which file and ends, without a crash.
#include "tests/e2e/Harness.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemDll, MissingCommonControlsAreNamedAndTheProgramEnds)
{
    // Wine disables a DLL for one program by the program's file name (an empty override), so a copy
    // of its own name keeps every other start untouched.
    const std::wstring copy = BuildFolder() + L"NoCommonControls.exe";
    const wchar_t* const overrides = L"Software\\Wine\\AppDefaults\\NoCommonControls.exe";
    ASSERT_TRUE(::CopyFileW((BuildFolder() + L"Velmora.exe").c_str(), copy.c_str(), FALSE));
    ::RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(overrides) + L"\\DllOverrides").c_str(), L"comctl32",
                      REG_SZ, L"", sizeof(wchar_t));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(copy.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process));

    // The message box takes the program's name as its caption.
    HWND box = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (box = ::FindWindowW(L"#32770", L"NoCommonControls")) != nullptr; }));
    EXPECT_EQ(Text(::GetDlgItem(box, 0xFFFF)), L"无法加载系统文件: comctl32.dll");
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

// A system DLL the program loads late cannot be loaded: it says which file and ends, without a crash.
#include "Harness.h"

namespace {

TEST(SystemDll, MissingCommonControlsAreNamedAndTheProgramEnds)
{
    // Wine disables a DLL for one program by the program's file name (an empty override), so a copy
    // of its own name keeps every other start untouched.
    const std::wstring copy = BuildFolder() + L"NoCommonControls.exe";
    const wchar_t* const overrides = L"Software\\Wine\\AppDefaults\\NoCommonControls.exe";
    ASSERT_TRUE(::CopyFileW(ProgramPath().c_str(), copy.c_str(), FALSE));
    ::RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(overrides) + L"\\DllOverrides").c_str(), L"comctl32",
                      REG_SZ, L"", sizeof(wchar_t));
    {
        CProgram program;
        ASSERT_TRUE(program.Start(copy));
        HWND box = nullptr;
        EXPECT_TRUE(WaitUntil([&] {
            const std::vector<HWND> boxes = VisibleWindowsOf(program.Id(), L"#32770");
            return (box = boxes.empty() ? nullptr : boxes.front()) != nullptr;
        }));
        const MessageBoxInfo info = ReadMessageBox(box);
        EXPECT_EQ(info.caption, L"NoCommonControls");
        EXPECT_EQ(info.text, L"无法加载系统文件: comctl32.dll");
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(program.WaitForExit());
        EXPECT_EQ(program.ExitCode(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, overrides);
    EXPECT_TRUE(::DeleteFileW(copy.c_str()));
}

}  // namespace

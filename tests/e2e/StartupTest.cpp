// Starting, showing and closing the real program, as its user would.
#include "Harness.h"

#include "res/resource.h"

#include <map>

namespace {

using Startup = CFormTest;

TEST_F(Startup, FormOpensCentredInItsInitialState)
{
    EXPECT_EQ(Text(form), L"Morvane软件-VelmoraQuilmar监控");
    EXPECT_EQ(ItemText(form, IDC_HINT), L"正确填写参数,先扫描,后保存");
    EXPECT_EQ(ItemText(form, IDC_RESULT), L"扫描总结果提示");
    EXPECT_EQ(ItemText(form, IDC_MODE_IMAGE), L"镜像文件");

    RECT window{};
    ::GetWindowRect(form, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(form, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    EXPECT_LE(std::abs((window.left - area.left) - (area.right - window.right)), 1);
    EXPECT_LE(std::abs((window.top - area.top) - (area.bottom - window.bottom)), 1);

    EXPECT_EQ(ItemText(form, IDC_SCAN_OFFSET), L"0");
    EXPECT_EQ(FocusOf(form), ::GetDlgItem(form, IDC_SCAN_OFFSET));
    EXPECT_TRUE(IsItemChecked(form, IDC_MODE_IMAGE));
    EXPECT_TRUE(IsItemEnabled(form, IDC_SOURCE_FILE));
    EXPECT_FALSE(IsItemEnabled(form, IDC_SOURCE_DEVICE));
    EXPECT_EQ(::SendDlgItemMessageW(form, IDC_SOURCE_DEVICE, CB_GETCOUNT, 0, 0), 7);
    EXPECT_EQ(ItemText(form, IDC_SOURCE_DEVICE), L"\\\\.\\PhysicalDrive0");
    EXPECT_FALSE(IsItemChecked(form, IDC_TIME_FILTER));
    EXPECT_FALSE(IsItemEnabled(form, IDC_START_TIME));
    EXPECT_FALSE(IsItemEnabled(form, IDC_END_TIME));
}

TEST_F(Startup, TwoCopiesRunSideBySideAndEscapeOrTheCloseCommandEndsEachWithoutAHelpError)
{
    CProgram second;
    ASSERT_TRUE(second.Start());
    const HWND secondForm = second.WaitForForm();
    ASSERT_TRUE(secondForm);
    EXPECT_NE(form, secondForm);

    // There is no help file: had F1 brought up an error box, the Escape would close that box instead.
    PressKey(form, VK_F1);
    PressKey(form, VK_ESCAPE);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_FALSE(::IsWindow(form));
    EXPECT_TRUE(second.IsRunning());
    EXPECT_EQ(ItemText(secondForm, IDC_SCAN_OFFSET), L"0");

    // The caption's close button and the system menu's Close both arrive as SC_CLOSE.
    ::PostMessageW(secondForm, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(second.WaitForExit());
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_FALSE(::IsWindow(secondForm));
}

// Everything a run could leave behind: registry values and files, with what they hold.
using Footprint = std::map<std::wstring, std::wstring>;

void AddRegistry(Footprint& footprint, HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    footprint[L"reg:" + path] = L"";
    wchar_t name[16384];
    for (DWORD i = 0;; ++i) {
        BYTE data[4096];
        DWORD nameLength = 16384;
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LONG result = ::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        const std::wstring value(reinterpret_cast<const wchar_t*>(data),
                                 result == ERROR_SUCCESS ? dataSize / 2 : 0);
        footprint[L"reg:" + path + L"\\@" + name] = std::to_wstring(type) + L":" + value;
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 16384;
        if (::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring child = path.empty() ? name : path + L"\\" + name;
        // Wine keeps its own volatile state there, whoever runs.
        if (child != L"Software\\Wine")
            AddRegistry(footprint, root, child);
    }
    ::RegCloseKey(key);
}

void AddFiles(Footprint& footprint, const std::wstring& folder, bool recurse = true)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        const std::wstring path = folder + L"\\" + name;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (name == L"." || name == L"..")
            continue;
        // The low halves of the size and the time are enough to see a write.
        footprint[L"file:" + path] = isFolder ? L""
                                              : std::to_wstring(found.nFileSizeLow) + L"@" +
                                                    std::to_wstring(found.ftLastWriteTime.dwLowDateTime);
        // Wine links the profile's Templates folder to the Unix home folder, which is not ours to walk.
        if (isFolder && recurse && name != L"Templates" &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            AddFiles(footprint, path);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

Footprint TakeFootprint()
{
    Footprint footprint;
    // A program run by a user without elevation can only leave settings in the user's own hive.
    AddRegistry(footprint, HKEY_CURRENT_USER, L"");
    // Wine links the profile's document folders to the Unix home folder too; the profile's own data is
    // under AppData and Temp.
    wchar_t profile[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
    for (const std::wstring& folder : {std::wstring(profile) + L"\\AppData",
                                       std::wstring(profile) + L"\\Temp", std::wstring(L"C:\\users\\Public"),
                                       std::wstring(L"C:\\ProgramData"), std::wstring(L"C:\\windows\\temp")})
        AddFiles(footprint, folder);
    // The folder the program starts in and lives in; below it is the build's own business.
    const std::wstring build = BuildFolder();
    AddFiles(footprint, build.substr(0, build.size() - 1), false);
    return footprint;
}

TEST(WholeRun, LeavesNothingBehindInTheRegistryOrOnDisk)
{
    const Footprint before = TakeFootprint();
    {
        CProgram program;
        ASSERT_TRUE(program.Start());
        const HWND form = program.WaitForForm();
        ASSERT_TRUE(form);
        Click(form, IDC_MODE_DISK);
        Click(form, IDC_TIME_FILTER);
        Click(form, IDC_STOP);
        PressKey(form, VK_ESCAPE);
        ASSERT_TRUE(program.WaitForExit());
    }
    const Footprint after = TakeFootprint();
    for (const auto& [what, state] : after) {
        const auto old = before.find(what);
        if (old == before.end() || old->second != state)
            ADD_FAILURE() << "added or changed: " << what;
    }
    for (const auto& [what, state] : before) {
        if (!after.count(what))
            ADD_FAILURE() << "removed: " << what;
    }
}

}  // namespace

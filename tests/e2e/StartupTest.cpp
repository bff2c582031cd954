// Starting, showing and closing the real program, as its user would.
#include "Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TEST(Startup, FormOpensCentredInItsInitialState)
{
    CProgram program;
    ASSERT_TRUE(program.Start());
    const HWND form = program.WaitForForm();
    ASSERT_TRUE(form);

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
    EXPECT_EQ(ItemText(form, IDC_SCAN_SIZE), L"");
    EXPECT_EQ(FocusOf(form), ::GetDlgItem(form, IDC_SCAN_OFFSET));

    EXPECT_TRUE(IsItemChecked(form, IDC_MODE_IMAGE));
    EXPECT_FALSE(IsItemChecked(form, IDC_MODE_DISK));
    EXPECT_TRUE(IsItemEnabled(form, IDC_SOURCE_FILE));
    EXPECT_TRUE(IsItemEnabled(form, IDC_BROWSE_FILE));
    EXPECT_FALSE(IsItemEnabled(form, IDC_SOURCE_DEVICE));
    const std::vector<std::wstring> drives = {
        L"\\\\.\\PhysicalDrive0", L"\\\\.\\PhysicalDrive1", L"\\\\.\\PhysicalDrive2", L"\\\\.\\PhysicalDrive3",
        L"\\\\.\\PhysicalDrive4", L"\\\\.\\PhysicalDrive5", L"\\\\.\\PhysicalDrive6"};
    EXPECT_EQ(ListEntries(form, IDC_SOURCE_DEVICE), drives);
    EXPECT_EQ(ListSelection(form, IDC_SOURCE_DEVICE), 0);

    EXPECT_FALSE(IsItemChecked(form, IDC_TIME_FILTER));
    EXPECT_FALSE(IsItemEnabled(form, IDC_START_TIME));
    EXPECT_FALSE(IsItemEnabled(form, IDC_END_TIME));

    const LRESULT defaultId = ::SendMessageW(form, DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(defaultId), DC_HASDEFID);
    EXPECT_EQ(LOWORD(defaultId), IDC_SCAN);
}

TEST(Startup, EnterKeepsTheFormOpenAndF1ShowsNoHelpError)
{
    CBrowserStandIn browser;
    CProgram program;
    ASSERT_TRUE(program.Start());
    const HWND form = program.WaitForForm();
    ASSERT_TRUE(form);

    // Enter is a click on Scan: its contact message is answered, and the form stays.
    PressKey(form, VK_RETURN);
    const HWND box = WaitForOwnedDialog(form);
    ASSERT_TRUE(box);
    Click(box, IDOK);
    ASSERT_TRUE(WaitForWindowGone(box));
    PressKey(form, VK_F1);
    // Nothing is meant to happen, so the best a test can do is give it time to go wrong.
    ::Sleep(1500);
    EXPECT_TRUE(program.IsRunning());
    EXPECT_TRUE(::IsWindowVisible(form));
    EXPECT_EQ(VisibleWindowsOf(program.Id()), std::vector<HWND>{form});
}

struct CloseWay {
    const char* name;
    void (*close)(HWND form);
};

class Closing : public ::testing::TestWithParam<CloseWay> {};

TEST_P(Closing, EndsTheProcessAndLeavesNoWindow)
{
    CProgram program;
    ASSERT_TRUE(program.Start());
    const HWND form = program.WaitForForm();
    ASSERT_TRUE(form);

    GetParam().close(form);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_FALSE(::IsWindow(form));
}

// The caption's close button and the system menu's Close both arrive as SC_CLOSE.
INSTANTIATE_TEST_SUITE_P(
    Startup, Closing,
    ::testing::Values(CloseWay{"Escape", [](HWND form) { PressKey(form, VK_ESCAPE); }},
                      CloseWay{"CloseCommand", [](HWND form) { ::PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0); }}),
    [](const ::testing::TestParamInfo<CloseWay>& way) { return std::string(way.param.name); });

TEST(Startup, TwoCopiesRunSideBySide)
{
    CProgram first;
    CProgram second;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    const HWND firstForm = first.WaitForForm();
    const HWND secondForm = second.WaitForForm();
    ASSERT_TRUE(firstForm);
    ASSERT_TRUE(secondForm);
    EXPECT_NE(firstForm, secondForm);

    PressKey(firstForm, VK_ESCAPE);
    ASSERT_TRUE(first.WaitForExit());
    EXPECT_TRUE(second.IsRunning());
    EXPECT_EQ(ItemText(secondForm, IDC_SCAN_OFFSET), L"0");
    PressKey(secondForm, VK_ESCAPE);
    EXPECT_TRUE(second.WaitForExit());
}

// Everything a run could leave behind: registry values and files, with what they hold.
using Footprint = std::map<std::wstring, std::wstring>;

void AddRegistry(Footprint& footprint, HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    footprint[L"reg:" + path] = L"";
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        BYTE data[4096];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LONG result = ::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        const std::wstring value(reinterpret_cast<const wchar_t*>(data), result == ERROR_SUCCESS ? dataSize / 2 : 0);
        footprint[L"reg:" + path + L"\\@" + name] = std::to_wstring(type) + L":" + value;
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.emplace_back(name);
    }
    ::RegCloseKey(key);
    for (const std::wstring& subkey : subkeys) {
        const std::wstring child = path.empty() ? subkey : path + L"\\" + subkey;
        // Wine keeps its own volatile state there, whoever runs.
        if (child != L"Software\\Wine")
            AddRegistry(footprint, root, child);
    }
}

void AddFiles(Footprint& footprint, const std::wstring& folder, bool recurse = true)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = folder + L"\\" + name;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const ULONGLONG size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        const ULONGLONG written =
            (static_cast<ULONGLONG>(found.ftLastWriteTime.dwHighDateTime) << 32) | found.ftLastWriteTime.dwLowDateTime;
        footprint[L"file:" + path] = isFolder ? L"" : std::to_wstring(size) + L"@" + std::to_wstring(written);
        // Wine links the profile's Templates folder to the Unix home folder, which is not ours to walk.
        if (isFolder && recurse && name != L"Templates" && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
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
    AddFiles(footprint, std::wstring(profile) + L"\\AppData");
    AddFiles(footprint, std::wstring(profile) + L"\\Temp");
    AddFiles(footprint, L"C:\\users\\Public");
    AddFiles(footprint, L"C:\\ProgramData");
    AddFiles(footprint, L"C:\\windows\\temp");
    // The folder the program starts in and lives in; below it is the build's own business.
    std::wstring build = BuildFolder();
    build.pop_back();
    AddFiles(footprint, build, false);
    return footprint;
}

std::vector<std::wstring> Differences(const Footprint& before, const Footprint& after)
{
    std::vector<std::wstring> changes;
    for (const auto& [what, state] : after) {
        const auto old = before.find(what);
        if (old == before.end())
            changes.push_back(L"added " + what);
        else if (old->second != state)
            changes.push_back(L"changed " + what);
    }
    for (const auto& [what, state] : before) {
        if (!after.count(what))
            changes.push_back(L"removed " + what);
    }
    return changes;
}

TEST(Startup, LeavesNothingBehindInTheRegistryOrOnDisk)
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
    const std::vector<std::wstring> changes = Differences(before, TakeFootprint());
    for (const std::wstring& change : changes)
        ADD_FAILURE() << std::string(change.begin(), change.end());
    EXPECT_TRUE(changes.empty());
    HKEY profile = nullptr;
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Local AppWizard-Generated Applications", 0, KEY_READ,
                              &profile),
              ERROR_SUCCESS);
}

}  // namespace

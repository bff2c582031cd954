// The form's buttons on the real program, pressed from outside as its user would press them.
#include "Harness.h"

#include "dialogs/Texts.h"
#include "res/resource.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kFormControls[] = {IDC_SCAN_OFFSET, IDC_SCAN_SIZE, IDC_SCAN, IDC_STOP, IDC_SAVE_PATH,
                                 IDC_BROWSE_FOLDER, IDC_SOURCE_FILE, IDC_BROWSE_FILE, IDC_MODE_IMAGE,
                                 IDC_MODE_DISK, IDC_SOURCE_DEVICE, IDC_PROGRESS, IDC_HINT, IDC_SAVE,
                                 IDC_START_TIME, IDC_END_TIME, IDC_TIME_FILTER, IDC_RESULT};

// Everything a user can see of the form's controls, so "nothing changed" can be checked whole.
std::vector<std::wstring> Snapshot(HWND form)
{
    std::vector<std::wstring> seen;
    for (int id : kFormControls) {
        seen.push_back(std::to_wstring(id) + L" " + ItemText(form, id) + L" enabled " +
                       std::to_wstring(IsItemEnabled(form, id)) + L" checked " +
                       std::to_wstring(IsItemChecked(form, id)));
    }
    seen.push_back(L"drive " + std::to_wstring(ListSelection(form, IDC_SOURCE_DEVICE)));
    seen.push_back(L"progress " + std::to_wstring(::SendDlgItemMessageW(form, IDC_PROGRESS, PBM_GETPOS, 0, 0)));
    return seen;
}

// Memory inside the program, for the messages whose pointers Wine does not carry across processes.
class CRemoteBlock {
public:
    CRemoteBlock(HWND window, size_t size)
    {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        m_process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (m_process)
            m_address = ::VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~CRemoteBlock()
    {
        if (m_address)
            ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process)
            ::CloseHandle(m_process);
    }
    CRemoteBlock(const CRemoteBlock&) = delete;
    CRemoteBlock& operator=(const CRemoteBlock&) = delete;

    bool Write(const void* data, size_t size)
    {
        return m_address && ::WriteProcessMemory(m_process, m_address, data, size, nullptr);
    }
    bool Read(void* data, size_t size) const
    {
        return m_address && ::ReadProcessMemory(m_process, m_address, data, size, nullptr);
    }
    LPARAM Address() const { return reinterpret_cast<LPARAM>(m_address); }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
};

// The explorer-style dialog keeps its file name in an editable combo box; older templates in an edit.
HWND FileNameBox(HWND dialog)
{
    const HWND combo = ::GetDlgItem(dialog, cmb13);
    return combo ? combo : ::GetDlgItem(dialog, edt1);
}

// Opens the file dialog, types a name and presses OK or Cancel; answers what the source box then shows.
std::wstring TypeSourceFile(HWND form, const std::wstring& typed, int button)
{
    Click(form, IDC_BROWSE_FILE);
    const HWND dialog = WaitForOwnedDialog(form);
    if (!dialog)
        return L"<no file dialog>";
    ::SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    Click(dialog, button);
    if (!WaitForWindowGone(dialog))
        return L"<file dialog stayed open>";
    return ItemText(form, IDC_SOURCE_FILE);
}

// Opens the folder browser, selects a folder in it and presses OK or Cancel.
std::wstring ChooseSaveFolder(HWND form, const std::wstring& folder, int button)
{
    Click(form, IDC_BROWSE_FOLDER);
    const HWND browser = WaitForOwnedDialog(form);
    if (!browser)
        return L"<no folder browser>";
    CRemoteBlock path(form, (folder.size() + 1) * sizeof(wchar_t));
    path.Write(folder.c_str(), (folder.size() + 1) * sizeof(wchar_t));
    ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, path.Address());
    Click(browser, button);
    if (!WaitForWindowGone(browser))
        return L"<folder browser stayed open>";
    return ItemText(form, IDC_SAVE_PATH);
}

// The contact message box that follows each hand-off, read and then closed with its OK button.
MessageBoxInfo AcknowledgeHandOff(HWND form)
{
    const HWND box = WaitForOwnedDialog(form);
    if (!box)
        return {L"<no message box>", {}, {}, false};
    const MessageBoxInfo info = ReadMessageBox(box);
    Click(box, IDOK);
    WaitForWindowGone(box);
    return info;
}

void ExpectContactMessage(const MessageBoxInfo& box, const std::wstring& programName)
{
    const std::wstring prefix = L"请联系Morvane软件科技数据中心,";
    EXPECT_EQ(box.text.substr(0, prefix.size()), prefix);
    // Then the office number, two spaces and the mobile number.
    const std::wstring numbers = box.text.substr(std::min(prefix.size(), box.text.size()));
    EXPECT_NE(numbers.find(L"  "), std::wstring::npos) << "two spaces between the numbers";
    EXPECT_EQ(numbers.find_first_not_of(L"0123456789- "), std::wstring::npos);
    EXPECT_EQ(box.text, texts::kContactMessage);
    EXPECT_EQ(box.caption, programName);
    EXPECT_EQ(box.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_FALSE(box.hasIcon);
}

TEST(Commands, ScanSaveAndEnterHandOffEachTimeAndStopShowsNothing)
{
    CBrowserStandIn browser;
    CProgram program;
    ASSERT_TRUE(program.Start());
    const HWND form = program.WaitForForm();
    ASSERT_TRUE(form);
    const std::vector<std::wstring> before = Snapshot(form);

    // Enter first, while the focus is still in the offset box: then no push button has it and
    // Enter means the default button. A clicked button keeps the focus afterwards.
    size_t handOffs = 0;
    for (int press = 0; press < 2; ++press) {
        ASSERT_EQ(FocusOf(form), ::GetDlgItem(form, IDC_SCAN_OFFSET));
        PressKey(form, VK_RETURN);
        ExpectContactMessage(AcknowledgeHandOff(form), L"Velmora");
        EXPECT_TRUE(browser.WaitForAddresses(++handOffs));
    }
    // Stop shows nothing and holds nothing back: the hand-offs after it go on as before.
    Click(form, IDC_STOP);
    for (int button : {IDC_SCAN, IDC_SCAN, IDC_SAVE, IDC_SAVE}) {
        Click(form, button);
        ExpectContactMessage(AcknowledgeHandOff(form), L"Velmora");
        EXPECT_TRUE(browser.WaitForAddresses(++handOffs));
    }

    const std::wstring homePage = std::wstring(texts::kHomePage) + L"/";
    EXPECT_EQ(homePage, L"http://www.morvane.example/");
    EXPECT_EQ(browser.Addresses(), std::vector<std::wstring>(6, homePage));
    EXPECT_EQ(Snapshot(form), before);
    EXPECT_EQ(VisibleWindowsOf(program.Id()), std::vector<HWND>{form});
}

TEST(Commands, RenamedCopyUsesItsOwnNameAsCaption)
{
    // An ASCII name: under the C locale Wine cannot put other characters into a Unix file name.
    const std::wstring copy = BuildFolder() + L"Quilmar Recovery.exe";
    ASSERT_TRUE(::CopyFileW(ProgramPath().c_str(), copy.c_str(), FALSE));
    {
        CBrowserStandIn browser;
        CProgram program;
        ASSERT_TRUE(program.Start(copy));
        const HWND form = program.WaitForForm();
        ASSERT_TRUE(form);
        Click(form, IDC_SAVE);
        ExpectContactMessage(AcknowledgeHandOff(form), L"Quilmar Recovery");
        EXPECT_TRUE(browser.WaitForAddresses(1));
        PressKey(form, VK_ESCAPE);
        EXPECT_TRUE(program.WaitForExit());
    }
    EXPECT_TRUE(::DeleteFileW(copy.c_str()));
}

TEST(Commands, SourceModeSwitchesTheUsableSourceAndKeepsBothChoices)
{
    CProgram program;
    ASSERT_TRUE(program.Start());
    const HWND form = program.WaitForForm();
    ASSERT_TRUE(form);

    // A name typed for a file that does not exist is taken as typed.
    const std::wstring image = L"C:\\recordings\\cam1.img";
    ASSERT_EQ(TypeSourceFile(form, image, IDOK), image);
    EXPECT_EQ(TypeSourceFile(form, L"C:\\recordings\\other.dsk", IDCANCEL), image);

    Click(form, IDC_MODE_DISK);
    ASSERT_TRUE(WaitUntil([&] { return IsItemEnabled(form, IDC_SOURCE_DEVICE); }));
    EXPECT_TRUE(IsItemChecked(form, IDC_MODE_DISK));
    EXPECT_FALSE(IsItemChecked(form, IDC_MODE_IMAGE));
    EXPECT_FALSE(IsItemEnabled(form, IDC_SOURCE_FILE));
    EXPECT_FALSE(IsItemEnabled(form, IDC_BROWSE_FILE));
    ::SendDlgItemMessageW(form, IDC_SOURCE_DEVICE, CB_SETCURSEL, 3, 0);

    for (int again = 0; again < 2; ++again) {
        Click(form, IDC_MODE_IMAGE);
        ASSERT_TRUE(WaitUntil([&] { return !IsItemEnabled(form, IDC_SOURCE_DEVICE); }));
        EXPECT_TRUE(IsItemChecked(form, IDC_MODE_IMAGE));
        EXPECT_TRUE(IsItemEnabled(form, IDC_SOURCE_FILE));
        EXPECT_TRUE(IsItemEnabled(form, IDC_BROWSE_FILE));
        EXPECT_EQ(ItemText(form, IDC_SOURCE_FILE), image);
        EXPECT_EQ(ListSelection(form, IDC_SOURCE_DEVICE), 3);
    }
}

SYSTEMTIME Day(WORD year, WORD month, WORD day)
{
    SYSTEMTIME date{};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    return date;
}

// The picker's date, read through a block in the program: the message carries a pointer.
SYSTEMTIME PickerDate(HWND form, int id)
{
    CRemoteBlock block(form, sizeof(SYSTEMTIME));
    SYSTEMTIME date{};
    ::SendDlgItemMessageW(form, id, DTM_GETSYSTEMTIME, 0, block.Address());
    block.Read(&date, sizeof date);
    return date;
}

void SetPickerDate(HWND form, int id, const SYSTEMTIME& date)
{
    CRemoteBlock block(form, sizeof(SYSTEMTIME));
    block.Write(&date, sizeof date);
    ::SendDlgItemMessageW(form, id, DTM_SETSYSTEMTIME, GDT_VALID, block.Address());
}

std::wstring Ymd(const SYSTEMTIME& date)
{
    return std::to_wstring(date.wYear) + L"-" + std::to_wstring(date.wMonth) + L"-" + std::to_wstring(date.wDay);
}

TEST(Commands, TimeFilterSwitchesBothPickersTogetherAndKeepsTheirDates)
{
    CProgram program;
    ASSERT_TRUE(program.Start());
    const HWND form = program.WaitForForm();
    ASSERT_TRUE(form);

    Click(form, IDC_TIME_FILTER);
    ASSERT_TRUE(WaitUntil([&] { return IsItemEnabled(form, IDC_START_TIME); }));
    EXPECT_TRUE(IsItemChecked(form, IDC_TIME_FILTER));
    EXPECT_TRUE(IsItemEnabled(form, IDC_END_TIME));
    SetPickerDate(form, IDC_START_TIME, Day(2021, 3, 4));
    SetPickerDate(form, IDC_END_TIME, Day(2021, 3, 9));

    Click(form, IDC_TIME_FILTER);
    ASSERT_TRUE(WaitUntil([&] { return !IsItemEnabled(form, IDC_START_TIME); }));
    EXPECT_FALSE(IsItemChecked(form, IDC_TIME_FILTER));
    EXPECT_FALSE(IsItemEnabled(form, IDC_END_TIME));
    EXPECT_EQ(Ymd(PickerDate(form, IDC_START_TIME)), L"2021-3-4");
    EXPECT_EQ(Ymd(PickerDate(form, IDC_END_TIME)), L"2021-3-9");

    Click(form, IDC_TIME_FILTER);
    ASSERT_TRUE(WaitUntil([&] { return IsItemEnabled(form, IDC_START_TIME); }));
    EXPECT_TRUE(IsItemEnabled(form, IDC_END_TIME));
    EXPECT_EQ(Ymd(PickerDate(form, IDC_START_TIME)), L"2021-3-4");
    EXPECT_EQ(Ymd(PickerDate(form, IDC_END_TIME)), L"2021-3-9");
}

TEST(Commands, SaveFolderKeepsItsPathWhenTheBrowserGivesNone)
{
    CProgram program;
    ASSERT_TRUE(program.Start());
    const HWND form = program.WaitForForm();
    ASSERT_TRUE(form);
    ASSERT_EQ(ChooseSaveFolder(form, L"C:\\windows", IDOK), L"C:\\windows");
    EXPECT_EQ(ChooseSaveFolder(form, L"C:\\", IDCANCEL), L"C:\\windows");

    Click(form, IDC_BROWSE_FOLDER);
    const HWND browser = WaitForOwnedDialog(form);
    ASSERT_TRUE(browser);
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    CRemoteBlock item(form, ::ILGetSize(computer));
    item.Write(computer, ::ILGetSize(computer));
    ::CoTaskMemFree(computer);
    ::SendMessageW(browser, BFFM_SETSELECTIONW, FALSE, item.Address());
    // Computer has no file-system path. The browser greys its OK button for it, so a user cannot
    // choose it here; the click is delivered anyway to reach the failure the shell reports.
    Click(browser, IDOK);
    ASSERT_TRUE(WaitForWindowGone(browser));

    const HWND box = WaitForOwnedDialog(form);
    ASSERT_TRUE(box);
    const MessageBoxInfo info = ReadMessageBox(box);
    EXPECT_EQ(info.text, L"Fail   to   get   directory!");
    EXPECT_EQ(info.caption, L"Velmora");
    EXPECT_EQ(info.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(info.hasIcon);
    Click(box, IDOK);
    ASSERT_TRUE(WaitForWindowGone(box));
    EXPECT_EQ(ItemText(form, IDC_SAVE_PATH), L"C:\\windows");
}

}  // namespace

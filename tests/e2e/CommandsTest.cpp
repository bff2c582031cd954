// The form's buttons on the real program, pressed from outside as its user would press them.
#include "Harness.h"

#include "dialogs/Texts.h"
#include "res/resource.h"

#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

// Memory inside the program, for the messages whose pointers Wine does not carry across processes.
class CRemoteBlock {
public:
    CRemoteBlock(HWND window, const void* data, size_t size)
    {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        m_process =
            ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (m_process)
            m_address = ::VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (m_address)
            ::WriteProcessMemory(m_process, m_address, data, size, nullptr);
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

    bool Read(void* data, size_t size) const
    {
        return m_address && ::ReadProcessMemory(m_process, m_address, data, size, nullptr);
    }
    LPARAM Address() const { return reinterpret_cast<LPARAM>(m_address); }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
};

// The message box that follows a command, read and then closed with its OK button.
MessageBoxInfo AcknowledgeMessage(HWND form)
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
    EXPECT_EQ(box.text, texts::kContactMessage);
    EXPECT_EQ(box.caption, programName);
    EXPECT_EQ(box.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_FALSE(box.hasIcon);
}

// A renamed copy runs the hand-offs: its message boxes take their caption from the name it runs under.
TEST(HandOff, ScanSaveAndEnterEachOpenTheHomePageThenTheContactMessageAndStopShowsNothing)
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
        // Enter first, while the focus is still in the offset box: then no push button has it and
        // Enter means the default button. A clicked button keeps the focus afterwards.
        size_t handOffs = 0;
        for (int press = 0; press < 2; ++press) {
            ASSERT_EQ(FocusOf(form), ::GetDlgItem(form, IDC_SCAN_OFFSET));
            PressKey(form, VK_RETURN);
            ExpectContactMessage(AcknowledgeMessage(form), L"Quilmar Recovery");
            EXPECT_TRUE(browser.WaitForAddresses(++handOffs));
        }
        // Stop shows nothing and holds nothing back: the hand-offs after it go on as before.
        Click(form, IDC_STOP);
        for (int button : {IDC_SCAN, IDC_SCAN, IDC_SAVE, IDC_SAVE}) {
            Click(form, button);
            ExpectContactMessage(AcknowledgeMessage(form), L"Quilmar Recovery");
            EXPECT_TRUE(browser.WaitForAddresses(++handOffs));
        }
        EXPECT_EQ(browser.Addresses(), std::vector<std::wstring>(6, L"http://www.morvane.example/"));
        EXPECT_EQ(VisibleWindowsOf(program.Id()), std::vector<HWND>{form});
        PressKey(form, VK_ESCAPE);
        EXPECT_TRUE(program.WaitForExit());
    }
    EXPECT_TRUE(::DeleteFileW(copy.c_str()));
}

using Commands = CFormTest;

TEST_F(Commands, SourceModeSwitchesTheUsableSourceAndKeepsBothChoices)
{
    // The box is read-only to the user; the file dialog that fills it is driven in the Win32 tests.
    const std::wstring image = L"C:\\recordings\\cam1.img";
    ::SendDlgItemMessageW(form, IDC_SOURCE_FILE, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(image.c_str()));

    Click(form, IDC_MODE_DISK);
    ASSERT_TRUE(WaitUntil([&] { return IsItemEnabled(form, IDC_SOURCE_DEVICE); }));
    EXPECT_TRUE(IsItemChecked(form, IDC_MODE_DISK));
    EXPECT_FALSE(IsItemChecked(form, IDC_MODE_IMAGE));
    EXPECT_FALSE(IsItemEnabled(form, IDC_SOURCE_FILE));
    EXPECT_FALSE(IsItemEnabled(form, IDC_BROWSE_FILE));
    ::SendDlgItemMessageW(form, IDC_SOURCE_DEVICE, CB_SETCURSEL, 3, 0);

    Click(form, IDC_MODE_IMAGE);
    ASSERT_TRUE(WaitUntil([&] { return !IsItemEnabled(form, IDC_SOURCE_DEVICE); }));
    EXPECT_TRUE(IsItemChecked(form, IDC_MODE_IMAGE));
    EXPECT_TRUE(IsItemEnabled(form, IDC_SOURCE_FILE));
    EXPECT_TRUE(IsItemEnabled(form, IDC_BROWSE_FILE));
    EXPECT_EQ(ItemText(form, IDC_SOURCE_FILE), image);
    EXPECT_EQ(ItemText(form, IDC_SOURCE_DEVICE), L"\\\\.\\PhysicalDrive3");
}

// A picker's date as yyyymmdd. Its messages carry a pointer, so the date goes through the program's memory.
int PickerDate(HWND form, int id)
{
    SYSTEMTIME date{};
    CRemoteBlock block(form, &date, sizeof date);
    ::SendDlgItemMessageW(form, id, DTM_GETSYSTEMTIME, 0, block.Address());
    block.Read(&date, sizeof date);
    return date.wYear * 10000 + date.wMonth * 100 + date.wDay;
}

void SetPickerDate(HWND form, int id, int yyyymmdd)
{
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(yyyymmdd / 10000);
    date.wMonth = static_cast<WORD>(yyyymmdd / 100 % 100);
    date.wDay = static_cast<WORD>(yyyymmdd % 100);
    CRemoteBlock block(form, &date, sizeof date);
    ::SendDlgItemMessageW(form, id, DTM_SETSYSTEMTIME, GDT_VALID, block.Address());
}

TEST_F(Commands, TimeFilterSwitchesBothPickersTogetherAndKeepsTheirDates)
{
    SetPickerDate(form, IDC_START_TIME, 20210304);
    SetPickerDate(form, IDC_END_TIME, 20210309);
    for (const bool on : {true, false, true}) {
        Click(form, IDC_TIME_FILTER);
        ASSERT_TRUE(WaitUntil([&] { return IsItemEnabled(form, IDC_START_TIME) == on; }));
        EXPECT_EQ(IsItemChecked(form, IDC_TIME_FILTER), on);
        EXPECT_EQ(IsItemEnabled(form, IDC_END_TIME), on);
        EXPECT_EQ(PickerDate(form, IDC_START_TIME), 20210304);
        EXPECT_EQ(PickerDate(form, IDC_END_TIME), 20210309);
    }
}

TEST_F(Commands, FolderWithoutAFileSystemPathShowsTheStopMessage)
{
    Click(form, IDC_BROWSE_FOLDER);
    const HWND browser = WaitForOwnedDialog(form);
    ASSERT_TRUE(browser);
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    CRemoteBlock item(form, computer, ::ILGetSize(computer));
    ::CoTaskMemFree(computer);
    // Now and then Wine's browser leaves the selection at the top of its tree; asking again moves it.
    const HWND tree = ::FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
    ASSERT_TRUE(WaitUntil([&] {
        ::SendMessageW(browser, BFFM_SETSELECTIONW, FALSE, item.Address());
        return ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) !=
               ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    }));
    // Computer has no file-system path. The browser greys its OK button for it, so a user cannot
    // choose it here; the click is delivered anyway to reach the failure the shell reports.
    Click(browser, IDOK);
    ASSERT_TRUE(WaitForWindowGone(browser));

    const MessageBoxInfo info = AcknowledgeMessage(form);
    EXPECT_EQ(info.text, L"Fail   to   get   directory!");
    EXPECT_EQ(info.caption, L"Velmora");
    EXPECT_EQ(info.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(info.hasIcon);
    EXPECT_EQ(ItemText(form, IDC_SAVE_PATH), L"");
}

}  // namespace

// The program's own start-up and form on real windows: COM, icons, where the About box appears, and the
// common dialogs driven through the adapter as a user would.
#include "app/VelmoraApp.h"
#include "res/resource.h"
#include "tests/WinTestSupport.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

namespace {

HWND DialogOver(HWND form, bool wait = true)
{
    return WaitForDialog(::GetWindowThreadProcessId(form, nullptr), form, wait);
}

// Runs the program's start-up on a thread of its own, as the entry point does, and hands its form to user()
// here; then closes it with the caption's close button. Answers what asking for COM on that thread says
// afterwards: S_OK when start-up left it as it found it.
HRESULT RunProgram(const std::function<void(HWND form)>& user)
{
    std::atomic<DWORD> thread{0};
    HRESULT comAfter = E_UNEXPECTED;
    std::thread program([&] {
        thread = ::GetCurrentThreadId();
        theApp.InitInstance();
        comAfter = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(comAfter))
            ::CoUninitialize();
    });
    PumpUntil([&] { return thread != 0; });
    const HWND form = WaitForDialog(thread, nullptr);
    EXPECT_TRUE(form) << "the form did not open";
    if (form)
        user(form);
    // A dialog left open by a failed step would keep the form's run from ending.
    for (HWND left; form && (left = DialogOver(form, false)) != nullptr;) {
        ADD_FAILURE() << "a dialog was left open";
        ::PostMessageW(left, WM_CLOSE, 0, 0);
        PumpUntil([&] { return !::IsWindow(left); });
    }
    ::PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    program.join();
    return comAfter;
}

RECT Area(HWND window)
{
    RECT area{};
    ::GetWindowRect(window, &area);
    return area;
}

// Whether the window's middle is within a pixel of the area's.
bool CentredOver(HWND window, const RECT& around)
{
    const RECT area = Area(window);
    return std::abs(area.left + area.right - around.left - around.right) <= 2 &&
           std::abs(area.top + area.bottom - around.top - around.bottom) <= 2;
}

TEST(StartUp, ShowsTheFormMidScreenWithItsIconAndHintAndTheAboutBoxOverItAndLeavesComAsItFoundIt)
{
    const HRESULT comAfter = RunProgram([](HWND form) {
        const auto big = ::SendMessageW(form, WM_GETICON, ICON_BIG, 0);
        EXPECT_NE(big, 0);
        EXPECT_EQ(::SendMessageW(form, WM_GETICON, ICON_SMALL, 0), big);
        EXPECT_EQ(::SendMessageW(form, WM_QUERYDRAGICON, 0, 0), big);
        // The hint line's colours on the form's own brush.
        const HDC dc = ::CreateCompatibleDC(nullptr);
        EXPECT_TRUE(::SendMessageW(form, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                   reinterpret_cast<LPARAM>(::GetDlgItem(form, IDC_HINT))) != 0 &&
                    ::GetBkMode(dc) == TRANSPARENT);
        ::DeleteDC(dc);
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_TRUE(CentredOver(form, work));
        // Over a form away from the middle, then over one mostly past the screen's top left corner.
        for (const POINT at : {POINT{0, 0}, POINT{-500, -400}}) {
            ::SetWindowPos(form, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            ::PostMessageW(form, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            const HWND box = DialogOver(form);
            ASSERT_TRUE(box);
            EXPECT_TRUE(at.x != 0 || CentredOver(box, Area(form)));
            EXPECT_TRUE(Area(box).left >= work.left && Area(box).top >= work.top);
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(box); }));
        }
    });
    EXPECT_EQ(comAfter, S_OK) << "COM was left initialised";
}

// Opens a browse button's dialog, enters the path there, closes it with a button and reads the box it fills.
std::wstring Browse(HWND form, int command, const std::wstring& path, int button)
{
    ::PostMessageW(form, WM_COMMAND, command, 0);
    const HWND dialog = DialogOver(form);
    if (!dialog)
        return L"(no dialog)";
    if (command == IDC_BROWSE_FILE) {
        // The explorer-style dialog keeps its file name in an editable combo box.
        ::SetDlgItemTextW(dialog, ::GetDlgItem(dialog, cmb13) ? cmb13 : edt1, path.c_str());
    } else {
        // Now and then Wine's browser stops short of a deep folder; asking again until its tree shows the
        // item selected finds it.
        SHFILEINFOW wanted{};
        ::SHGetFileInfoW(path.c_str(), 0, &wanted, sizeof wanted, SHGFI_DISPLAYNAME);
        const HWND tree = ::FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
        PumpUntil([&] {
            ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
            wchar_t text[MAX_PATH] = {};
            TVITEMW selected{TVIF_TEXT, TreeView_GetSelection(tree), 0, 0, text, MAX_PATH, 0, 0, 0, 0};
            TreeView_GetItem(tree, &selected);
            return std::wcscmp(text, wanted.szDisplayName) == 0;
        });
    }
    ::PostMessageW(::GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    PumpUntil([&] { return !::IsWindow(dialog); });
    wchar_t text[MAX_PATH] = {};
    ::GetDlgItemTextW(form, command == IDC_BROWSE_FILE ? IDC_SOURCE_FILE : IDC_SAVE_PATH, text, MAX_PATH);
    return text;
}

// How many live blocks of the process heap, where the shell's allocator takes its blocks, begin with the
// item list's bytes.
size_t LiveCopiesOf(PCIDLIST_ABSOLUTE items)
{
    const UINT size = ::ILGetSize(items);
    size_t copies = 0;
    PROCESS_HEAP_ENTRY entry{};
    ::HeapLock(::GetProcessHeap());
    while (::HeapWalk(::GetProcessHeap(), &entry))
        copies += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) && entry.cbData >= size &&
                  std::memcmp(entry.lpData, items, size) == 0;
    ::HeapUnlock(::GetProcessHeap());
    return copies;
}

TEST(StartUp, RestrictsTheDllSearchSoThatNothingBesideTheProgramLoadsByName)
{
    // The probe lies beside this test program, whose folder the ordinary search looks in first.
    const wchar_t* probe = L"VelmoraSearchProbe.dll";
    const HMODULE found = ::LoadLibraryW(probe);
    ASSERT_NE(found, nullptr) << "the probe was not found beside the program even before the restriction";
    ::FreeLibrary(found);

    RestrictDllSearch();
    EXPECT_EQ(::LoadLibraryW(probe), nullptr);

    // Back to the ordinary search for the tests that follow in this process.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    ::SetDllDirectoryW(nullptr);
}

TEST(CommonDialogs, TakeWhatIsChosenKeepTheLastChoiceOnCancelOrFailureAndFreeEveryItemList)
{
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring image = folder + std::wstring(L"velmora scan.vmdk");
    ::CloseHandle(::CreateFileW(image.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const wchar_t* const computer = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
    RunProgram([&](HWND form) {
        // Wine's dialog appends the default extension only to the name of a file that exists with it.
        EXPECT_EQ(Browse(form, IDC_BROWSE_FILE, folder + std::wstring(L"velmora scan"), IDOK), image);
        // Nothing demands that the file exist.
        EXPECT_EQ(Browse(form, IDC_BROWSE_FILE, L"C:\\missing.img", IDOK), L"C:\\missing.img");
        EXPECT_EQ(Browse(form, IDC_BROWSE_FILE, image, IDCANCEL), L"C:\\missing.img");

        EXPECT_EQ(Browse(form, IDC_BROWSE_FOLDER, L"C:\\", IDOK), L"C:");
        EXPECT_EQ(Browse(form, IDC_BROWSE_FOLDER, folder, IDCANCEL), L"C:");
        // Computer has no file-system path. The browser greys its OK button for it, so a user cannot choose
        // it; the click is delivered anyway to reach the failure the shell reports.
        EXPECT_EQ(Browse(form, IDC_BROWSE_FOLDER, computer, IDOK), L"C:");
        const HWND message = DialogOver(form);
        ASSERT_TRUE(message) << "no message for a folder without a path";
        ::PostMessageW(message, WM_COMMAND, IDOK, 0);
        PumpUntil([&] { return !::IsWindow(message); });
    });
    // A folder's item list carries its dates, which may have moved since; those of a drive and of Computer
    // do not, so a copy the browser returned and nobody freed still matches one made now.
    for (const wchar_t* path : {L"C:\\", computer}) {
        const PIDLIST_ABSOLUTE item = ::ILCreateFromPathW(path);
        EXPECT_EQ(LiveCopiesOf(item), 1u) << "the item list the browser returned was not freed";
        ::ILFree(item);
    }
    // The file dialog leaves the process in the folder it showed last, which would keep it from going.
    ::SetCurrentDirectoryW(L"C:\\");
    ::DeleteFileW(image.c_str());
}

}  // namespace

// The program's own start-up and form on real windows: COM, icons, where the About box appears, both
// dialogs laid out and their pictures fitted at the display's scale, and the common dialogs driven through
// the adapter as a user would.
#include "app/VelmoraApp.h"
#include "controls/MyStaticLink.h"
#include "res/resource.h"
#include "system/SystemDll.h"
#include "tests/WinTestSupport.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

// The scale the program is drawn for, as the system tells a program aware of it, or 96 DPI otherwise.
// Declared by the headers only for systems newer than the program's floor.
extern "C" __declspec(dllimport) UINT WINAPI GetDpiForSystem();

namespace {

HWND DialogOver(HWND form, bool wait = true)
{
    return WaitForDialog(::GetWindowThreadProcessId(form, nullptr), form, wait);
}

// The bitmap pictures the program's thread created, each with the size it was created with: the rectangle
// its template gives it at the dialog's font, before the control took the size of its bitmap. And every
// bitmap a picture showed, and each one it was given with the one it gave back.
std::mutex picturesLock;
std::map<HWND, SIZE> pictures;
std::set<HGDIOBJ> showed;
std::vector<std::pair<HGDIOBJ, HGDIOBJ>> given;

// Sent to the form: asks on the program's own thread whether it has joined OLE, which the shell's views need
// to drag and paste. Wine reaches its clipboard even without, so the question is put to OLE itself: joining
// again says S_FALSE, and is undone at once.
constexpr UINT kAskOle = WM_APP + 0x7E;
std::atomic<bool> oleJoined{false};

// On the program's thread, before each message sent there is handled: records the pictures, answers kAskOle.
LRESULT CALLBACK WatchTheProgram(int code, WPARAM wParam, LPARAM lParam)
{
    const auto& call = *reinterpret_cast<CWPSTRUCT*>(lParam);
    const auto* window = reinterpret_cast<CREATESTRUCTW*>(call.lParam);
    if (call.message == WM_CREATE && (window->style & SS_TYPEMASK) == SS_BITMAP) {
        const std::lock_guard<std::mutex> hold(picturesLock);
        pictures[call.hwnd] = {window->cx, window->cy};
    } else if (call.message == STM_SETIMAGE) {
        const auto shown =
            reinterpret_cast<HGDIOBJ>(::SendMessageW(call.hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
        const std::lock_guard<std::mutex> hold(picturesLock);
        given.emplace_back(reinterpret_cast<HGDIOBJ>(call.lParam), shown);
        showed.insert({shown, reinterpret_cast<HGDIOBJ>(call.lParam)});
    } else if (call.message == kAskOle) {
        const HRESULT joined = ::OleInitialize(nullptr);
        if (SUCCEEDED(joined))
            ::OleUninitialize();
        oleJoined = joined == S_FALSE;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Every text whole, each label just left of a control in its row, every control inside, at any font and
// scale; a label named in besides stands beside the control given there. The one picture shows a bitmap
// the size of its control; except at 96 DPI, with whose dialog font both pictures were drawn, one that
// fills the rectangle its template gives it.
void ExpectLaidOut(HWND dialog, bool at96Dpi, const std::map<std::wstring, int>& besides = {})
{
    RECT client{}, besideUnits{0, 0, 20, 0};
    ::GetClientRect(dialog, &client);
    ::MapDialogRect(dialog, &besideUnits);
    // Every control has the dialog's font.
    const HDC dc = ::GetDC(dialog);
    const HGDIOBJ previous =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)));
    std::map<int, RECT> numbered;  // in the dialog's client coordinates
    std::vector<std::pair<RECT, std::wstring>> labels;
    int shownPictures = 0;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT area{}, needed{};
        ::GetWindowRect(child, &area);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
        const LONG width = area.right - area.left, height = area.bottom - area.top;
        const int number = ::GetDlgCtrlID(child);
        SCOPED_TRACE(::testing::Message() << "control " << number << " at " << area.left << "," << area.top);
        EXPECT_TRUE(area.left >= 0 && area.top >= 0 && area.right <= client.right &&
                    area.bottom <= client.bottom);
        EXPECT_TRUE(number == -1 || numbered.emplace(number, area).second) << "number taken";
        wchar_t text[256] = {}, kind[16] = {};
        ::GetClassNameW(child, kind, 16);
        const bool isStatic = _wcsicmp(kind, L"Static") == 0;
        if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
            const auto bitmap =
                reinterpret_cast<HBITMAP>(::SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
            BITMAP shown{};
            ::GetObjectW(bitmap, sizeof shown, &shown);
            const std::lock_guard<std::mutex> hold(picturesLock);
            const SIZE wanted = pictures[child];
            showed.insert(bitmap);
            ++shownPictures;
            EXPECT_TRUE(shown.bmWidth == width && shown.bmHeight == height) << "not the control's size";
            EXPECT_TRUE(at96Dpi || (width == wanted.cx && height == wanted.cy))
                << width << " x " << height << " in a rectangle of " << wanted.cx << " x " << wanted.cy;
            continue;
        }
        if (!::GetWindowTextW(child, text, 256))
            continue;
        if (isStatic && number == -1)
            labels.emplace_back(area, text);
        // A text beside a check mark, inside a frame or on a button needs about a line's height more.
        ::DrawTextW(dc, text, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
        EXPECT_LE(needed.right + (isStatic ? 0 : needed.bottom), area.right - area.left) << "clipped";
        EXPECT_LE(needed.bottom, area.bottom - area.top) << "clipped";
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(dialog, dc);
    EXPECT_EQ(shownPictures, 1);
    for (const auto& [label, text] : labels) {
        const LONG middle = (label.top + label.bottom) / 2;
        const auto beside = std::find_if(numbered.begin(), numbered.end(), [&](const auto& control) {
            const RECT& other = control.second;
            return other.top <= middle && middle <= other.bottom && label.right <= other.left &&
                   other.left - label.right <= besideUnits.right;
        });
        EXPECT_TRUE(beside != numbered.end())
            << "no control beside the label at " << label.left << "," << label.top;
        if (const auto named = besides.find(text); named != besides.end() && beside != numbered.end()) {
            EXPECT_EQ(beside->first, named->second)
                << "beside the label at " << label.left << "," << label.top;
        }
    }
}

// Runs the program's start-up on a thread of its own, as the entry point does, and hands its form to user()
// here; then closes it with the caption's close button. Answers what asking for COM on that thread says
// afterwards: S_OK when start-up left it as it found it.
HRESULT RunProgram(const std::function<void(HWND form)>& user)
{
    std::atomic<DWORD> thread{0};
    HRESULT comAfter = E_UNEXPECTED;
    given.clear();
    showed.clear();
    std::thread program([&] {
        const HHOOK hook =
            ::SetWindowsHookExW(WH_CALLWNDPROC, WatchTheProgram, nullptr, ::GetCurrentThreadId());
        thread = ::GetCurrentThreadId();
        theApp.InitInstance();
        ::UnhookWindowsHookEx(hook);
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

std::vector<std::wstring> g_opened;

// In an About box just opened: Tab goes round the two links and Shift+Tab back, Enter and Space open the
// focused one once a press and a held key no more, and the box stays open until Escape.
void UseTheLinksFromTheKeyboard(HWND box)
{
    const auto focus = [&] { return StateOf(::GetWindowThreadProcessId(box, nullptr)).hwndFocus; };
    const HWND home = ::GetDlgItem(box, IDC_HOME_LINK), soft = ::GetDlgItem(box, IDC_SOFT_LINK);
    const std::pair<std::vector<wchar_t>, HWND> steps[] = {
        {{VK_TAB}, home}, {{VK_TAB}, soft}, {{VK_TAB}, home}, {{VK_SHIFT, VK_TAB}, soft}};
    for (const auto& [keys, reached] : steps) {
        Press(keys);
        EXPECT_TRUE(PumpUntil([&] { return focus() == reached; })) << keys.size() << " keys";
    }
    // The last Tab is handled after every key before it.
    Press({VK_RETURN});
    Press({VK_SPACE});
    ::PostMessageW(soft, WM_KEYDOWN, VK_RETURN, 1 | (1 << 30));
    Press({VK_TAB});
    EXPECT_TRUE(PumpUntil([&] { return focus() == home; }));
    EXPECT_EQ(g_opened, (std::vector<std::wstring>(2, L"http://soft.morvane.example")));
    Press({VK_ESCAPE});
}

// Run at 144 and 192 DPI as well, each in a prefix of its own, with VELMORA_DPI set to that scale. At 96 DPI,
// with the prefix's dialog font, both pictures were drawn for their rectangles and none may be replaced. At
// every scale each bitmap they showed, the template's and a scaled copy alike, goes with its dialog.
TEST(
    StartUp,
    ShowsTheFormMidScreenAtItsScaleLaidOutWithItsPicturesIconAndHintTheAboutBoxOverItForKeysAndLeavesNothingBehind)
{
    const char* const scale = std::getenv("VELMORA_DPI");
    const int dpi = scale ? std::atoi(scale) : 96;
    const LinkOpener previousOpener =
        ReplaceLinkOpener([](const wchar_t* address) { g_opened.emplace_back(address); });
    RunProgram([&](HWND form) {
        EXPECT_EQ(::GetDpiForSystem(), static_cast<UINT>(dpi)) << "not the scale the run was started for";
        EXPECT_EQ(StateOf(::GetWindowThreadProcessId(form, nullptr)).hwndFocus,
                  ::GetDlgItem(form, IDC_SCAN_OFFSET));
        const auto big = ::SendMessageW(form, WM_GETICON, ICON_BIG, 0);
        EXPECT_NE(big, 0);
        EXPECT_EQ(::SendMessageW(form, WM_GETICON, ICON_SMALL, 0), big);
        EXPECT_EQ(::SendMessageW(form, WM_QUERYDRAGICON, 0, 0), big);
        // Only the hint line is drawn on the form's own background.
        for (const int id : {IDC_HINT, IDC_RESULT}) {
            const HDC dc = ::CreateCompatibleDC(nullptr);
            ::SendMessageW(form, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(::GetDlgItem(form, id)));
            EXPECT_EQ(::GetBkMode(dc) == TRANSPARENT, id == IDC_HINT) << id;
            ::DeleteDC(dc);
        }
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_TRUE(CentredOver(form, work));
        ExpectLaidOut(form, dpi == 96);
        // Over a form away from the middle, then over one mostly past the screen's top left corner. Enter
        // closes the first as it opens; the second is used from the keyboard.
        for (const POINT at : {POINT{0, 0}, POINT{-500, -400}}) {
            ::SetWindowPos(form, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            ::PostMessageW(form, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            const HWND box = DialogOver(form);
            ASSERT_TRUE(box);
            EXPECT_TRUE(at.x != 0 || CentredOver(box, Area(form)));
            EXPECT_TRUE(Area(box).left >= work.left && Area(box).top >= work.top);
            // The links name themselves: only their places tie each to the label that says which site it is.
            ExpectLaidOut(box, dpi == 96, {{L"官网:", IDC_HOME_LINK}, {L"软件站:", IDC_SOFT_LINK}});
            ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == box; }));
            if (at.x == 0)
                Press({VK_RETURN});
            else
                UseTheLinksFromTheKeyboard(box);
            ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(box); })) << "not closed by its key";
        }
    });
    ReplaceLinkOpener(previousOpener);
    // No assistive technology asked, so none of its DLLs was loaded.
    EXPECT_EQ(::GetModuleHandleW(L"oleacc.dll"), nullptr);
    for (const auto& [bitmap, replaced] : given)
        EXPECT_TRUE(dpi != 96 || bitmap == replaced) << "a picture drawn for its rectangle was replaced";
    for (const HGDIOBJ bitmap : showed)
        EXPECT_EQ(::GetObjectType(bitmap), 0u) << "a picture's bitmap outlived its dialog";
}

// Each in a process of its own: nothing undoes the restriction.
TEST(StartUp, RestrictsTheDllSearchSoThatNothingBesideTheProgramLoadsByName)
{
    // The probe lies beside this test program, whose folder the ordinary search looks in first.
    const wchar_t* probe = L"VelmoraSearchProbe.dll";
    const HMODULE found = ::LoadLibraryW(probe);
    ASSERT_NE(found, nullptr) << "the probe was not found beside the program even before the restriction";
    ::FreeLibrary(found);

    RestrictDllSearch();
    EXPECT_EQ(::LoadLibraryW(probe), nullptr);
}

// Where the system cannot restrict the search, a DLL the program loads from the system folder still takes its
// own imports from there: comdlg32 imports winspool.drv, a copy of the probe under that name is planted
// beside this test program, and neither is loaded before.
TEST(StartUp, RestrictsTheDllSearchWithoutTheSystemsCallSoThatSystemDllsImportFromTheSystemFolder)
{
    const std::wstring planted = BuildFolder() + L"winspool.drv";
    ASSERT_EQ(::GetModuleHandleW(L"comdlg32.dll"), nullptr);
    ASSERT_TRUE(::CopyFileW((BuildFolder() + L"VelmoraSearchProbe.dll").c_str(), planted.c_str(), FALSE));

    RestrictDllSearch(nullptr);
    SystemFunctionAddress(SystemDll::Comdlg32, "GetOpenFileNameW");
    wchar_t loaded[MAX_PATH] = {};
    ::GetModuleFileNameW(::GetModuleHandleW(L"winspool.drv"), loaded, MAX_PATH);
    ::FreeLibrary(::GetModuleHandleW(L"comdlg32.dll"));
    ::DeleteFileW(planted.c_str());
    EXPECT_NE(_wcsicmp(loaded, planted.c_str()), 0) << "the planted copy beside the program was loaded";
    EXPECT_NE(loaded[0], L'\0') << "comdlg32 did not load winspool.drv";
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

TEST(CommonDialogs, TakeWhatIsChosenKeepTheLastChoiceOnCancelOrFailureAndFreeEveryItemList)
{
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring image = folder + std::wstring(L"velmora scan.vmdk");
    ::CloseHandle(::CreateFileW(image.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const wchar_t* const computer = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
    // The browsers join OLE; the program leaves it when it ends.
    const HRESULT comAfter = RunProgram([&](HWND form) {
        // OLE is joined when the first dialog needs it, not at start.
        ::SendMessageW(form, kAskOle, 0, 0);
        EXPECT_FALSE(oleJoined);
        // Wine's dialog appends the default extension only to the name of a file that exists with it.
        EXPECT_EQ(Browse(form, IDC_BROWSE_FILE, folder + std::wstring(L"velmora scan"), IDOK), image);
        ::SendMessageW(form, kAskOle, 0, 0);
        EXPECT_TRUE(oleJoined) << "the dialog's views have no OLE to drag and paste with";
        // Nothing demands that the file exist.
        EXPECT_EQ(Browse(form, IDC_BROWSE_FILE, L"C:\\missing.img", IDOK), L"C:\\missing.img");
        // Only the browse buttons fill the boxes: what is typed into them does not count.
        ::SendDlgItemMessageW(form, IDC_SOURCE_FILE, WM_CHAR, L'x', 1);
        EXPECT_EQ(Browse(form, IDC_BROWSE_FILE, image, IDCANCEL), L"C:\\missing.img");

        EXPECT_EQ(Browse(form, IDC_BROWSE_FOLDER, L"C:\\", IDOK), L"C:");
        ::SendDlgItemMessageW(form, IDC_SAVE_PATH, WM_CHAR, L'x', 1);
        EXPECT_EQ(Browse(form, IDC_BROWSE_FOLDER, folder, IDCANCEL), L"C:");
        // Computer has no file-system path. The browser greys its OK button for it, so a user cannot choose
        // it; the click is delivered anyway to reach the failure the shell reports.
        EXPECT_EQ(Browse(form, IDC_BROWSE_FOLDER, computer, IDOK), L"C:");
        const HWND message = DialogOver(form);
        ASSERT_TRUE(message) << "no message for a folder without a path";
        ::PostMessageW(message, WM_COMMAND, IDOK, 0);
        PumpUntil([&] { return !::IsWindow(message); });
    });
    EXPECT_EQ(comAfter, S_OK) << "COM was left initialised";
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

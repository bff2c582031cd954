// The program's own start-up and form on real windows: COM, icons, colours, where its dialogs appear, and
// the common dialogs driven through the adapter as a user would.
#include "controls/MyStaticLink.h"
#include "res/resource.h"
#include "tests/wine/WinTestSupport.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

namespace {

TEST(StartUp, ShowsTheProgramIconAndTheHintBlackOnTheFormBackgroundAndLeavesComAsItFoundIt)
{
    const HRESULT comAfter = RunProgram([](HWND form) {
        const auto big = ::SendMessageW(form, WM_GETICON, ICON_BIG, 0);
        EXPECT_NE(big, 0);
        EXPECT_EQ(::SendMessageW(form, WM_GETICON, ICON_SMALL, 0), big);
        EXPECT_EQ(::SendMessageW(form, WM_QUERYDRAGICON, 0, 0), big);

        const HDC dc = ::CreateCompatibleDC(nullptr);
        const auto ask = [&](int id) {
            ::SetTextColor(dc, RGB(1, 2, 3));
            ::SetBkMode(dc, OPAQUE);
            return ::SendMessageW(form, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                  reinterpret_cast<LPARAM>(::GetDlgItem(form, id)));
        };
        const LRESULT hintBrush = ask(IDC_HINT);
        EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 0));
        EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
        // Any other static is left to the default handling, which paints it on the same brush.
        EXPECT_EQ(ask(IDC_RESULT), hintBrush);
        EXPECT_EQ(::GetBkMode(dc), OPAQUE);
        EXPECT_NE(hintBrush, 0);
        ::DeleteDC(dc);
    });
    EXPECT_EQ(comAfter, S_OK) << "COM was left initialised";
}

POINT Centre(HWND window)
{
    RECT area{};
    ::GetWindowRect(window, &area);
    return {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
}

TEST(Placement, FormInTheMiddleOfTheScreenAboutBoxOverTheFormAndNeitherOffIt)
{
    RunProgram([](HWND form) {
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_NEAR(Centre(form).x, (work.left + work.right) / 2, 1);
        EXPECT_NEAR(Centre(form).y, (work.top + work.bottom) / 2, 1);
        // Over a form away from the middle, then over one mostly past the screen's top left corner.
        for (const POINT at : {POINT{0, 0}, POINT{-500, -400}}) {
            ::SetWindowPos(form, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            ::PostMessageW(form, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            const HWND box = WaitForDialogOver(form);
            ASSERT_TRUE(box);
            RECT area{};
            ::GetWindowRect(box, &area);
            if (at.x == 0) {
                EXPECT_NEAR(Centre(box).x, Centre(form).x, 1);
                EXPECT_NEAR(Centre(box).y, Centre(form).y, 1);
            }
            EXPECT_GE(area.left, work.left);
            EXPECT_GE(area.top, work.top);
            // The box's links are real ones, and their fonts go with the box.
            std::vector<HFONT> fonts;
            for (int id : {IDC_HOME_LINK, IDC_SOFT_LINK}) {
                const auto* link = reinterpret_cast<const CMyStaticLink*>(
                    ::GetWindowLongPtrW(::GetDlgItem(box, id), GWLP_USERDATA));
                ASSERT_TRUE(link && link->Font()) << id;
                fonts.push_back(link->Font());
            }
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(box); }));
            for (HFONT font : fonts)
                EXPECT_EQ(::GetObjectType(font), 0u);
        }
    });
}

// Watches the task allocator, which the shell's item lists come from: which blocks are still allocated.
class CAllocationWatch : public IMallocSpy {
public:
    // The live blocks that begin with these bytes.
    size_t LiveCopiesOf(const void* bytes, size_t size)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        size_t copies = 0;
        for (const auto& [block, length] : m_live)
            copies += length >= size && std::memcmp(block, bytes, size) == 0 ? 1 : 0;
        return copies;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IMallocSpy || iid == IID_IUnknown ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return Asked(size); }
    void* STDMETHODCALLTYPE PostAlloc(void* block) override { return Track(block); }
    void* STDMETHODCALLTYPE PreFree(void* block, BOOL) override { return Forget(block); }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** out, BOOL) override
    {
        *out = Forget(block);
        return Asked(size);
    }
    void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return Track(block); }
    void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int answer) override { return answer; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    SIZE_T Asked(SIZE_T size)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_asked[::GetCurrentThreadId()] = size;
        return size;
    }
    void* Track(void* block)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (block)
            m_live[block] = m_asked[::GetCurrentThreadId()];
        return block;
    }
    void* Forget(void* block)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_live.erase(block);
        return block;
    }

    std::mutex m_lock;
    std::map<DWORD, SIZE_T> m_asked;
    std::map<void*, SIZE_T> m_live;
};

// A folder of its own for each run, with a disk image and two nested folders in it; ASCII names only,
// as under the C locale Wine cannot put other characters into a Unix file name.
class CommonDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"velmora-dialogs-" + std::to_wstring(::GetCurrentProcessId());
        std::filesystem::create_directories(folder + L"\\recordings\\cam 1", error);
        ::CloseHandle(::CreateFileW((folder + L"\\scan.vmdk").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                    nullptr));
    }
    void TearDown() override
    {
        // The file dialog leaves the process in the folder it showed last, which would keep it from going.
        ::SetCurrentDirectoryW(L"C:\\");
        std::filesystem::remove_all(folder, error);
    }

    // Opens a browse button's dialog, lets choose() act in it, closes it with a button and reads the box.
    static std::wstring Browse(HWND form, int command, int box, const std::function<void(HWND)>& choose, int button)
    {
        ::PostMessageW(form, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
        const HWND dialog = WaitForDialogOver(form);
        if (!dialog)
            return L"<no dialog>";
        choose(dialog);
        ::PostMessageW(::GetDlgItem(dialog, button), BM_CLICK, 0, 0);
        if (!PumpUntil([&] { return !::IsWindow(dialog); }))
            return L"<dialog stayed open>";
        wchar_t text[MAX_PATH] = {};
        ::GetDlgItemTextW(form, box, text, MAX_PATH);
        return text;
    }

    std::wstring folder;
    std::error_code error;
};

TEST_F(CommonDialogs, FileDialogTakesTypedNamesWithTheDefaultExtensionAndCancelKeepsTheLastOne)
{
    RunProgram([&](HWND form) {
        const auto type = [&](const std::wstring& name, int button) {
            return Browse(form, IDC_BROWSE_FILE, IDC_SOURCE_FILE, [&](HWND dialog) {
                // The explorer-style dialog keeps its file name in an editable combo box.
                const HWND combo = ::GetDlgItem(dialog, cmb13);
                ::SetWindowTextW(combo ? combo : ::GetDlgItem(dialog, edt1), name.c_str());
            }, button);
        };
        // Wine's dialog appends the default extension only to the name of a file that exists with it.
        EXPECT_EQ(type(folder + L"\\scan", IDOK), folder + L"\\scan.vmdk");
        // Nothing demands that the file exist.
        EXPECT_EQ(type(folder + L"\\missing.img", IDOK), folder + L"\\missing.img");
        EXPECT_EQ(type(folder + L"\\other.dsk", IDCANCEL), folder + L"\\missing.img");
    });
}

TEST_F(CommonDialogs, FolderBrowserFillsTheSavePathKeepsItOnCancelOrFailureAndFreesEveryItemList)
{
    static CAllocationWatch watch;
    ASSERT_EQ(::CoRegisterMallocSpy(&watch), S_OK);
    const std::wstring chosen = folder + L"\\recordings\\cam 1";
    RunProgram([&](HWND form) {
        const auto choose = [&](LPCITEMIDLIST item, int button) {
            return Browse(form, IDC_BROWSE_FOLDER, IDC_SAVE_PATH, [&](HWND browser) {
                // Now and then Wine's browser stops short of a deep folder and leaves the selection at the
                // top of its tree; asking again finds it.
                const HWND tree = ::FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
                PumpUntil([&] {
                    ::SendMessageW(browser, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(item));
                    return ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) !=
                           ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
                });
            }, button);
        };
        PIDLIST_ABSOLUTE items[3] = {::ILCreateFromPathW(chosen.c_str()), ::ILCreateFromPathW(L"C:\\"), nullptr};
        ::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &items[2]);
        EXPECT_EQ(choose(items[0], IDOK), chosen);
        EXPECT_EQ(choose(items[1], IDOK), L"C:");
        EXPECT_EQ(choose(items[0], IDCANCEL), L"C:");
        // Computer has no file-system path. The browser greys its OK button for it, so a user cannot choose
        // it; the click is delivered anyway to reach the failure the shell reports.
        EXPECT_EQ(choose(items[2], IDOK), L"C:");
        const HWND message = WaitForDialogOver(form);
        EXPECT_TRUE(message && ::SendDlgItemMessageW(message, 0x440, STM_GETICON, 0, 0)) << "no stop message";
        ::PostMessageW(message, WM_COMMAND, IDOK, 0);
        PumpUntil([&] { return !::IsWindow(message); });
        for (PIDLIST_ABSOLUTE item : items) {
            EXPECT_EQ(watch.LiveCopiesOf(item, ::ILGetSize(item)), 1u) << "an item list the browser returned was not freed";
            ::ILFree(item);
        }
    });
    ::CoRevokeMallocSpy();
}

}  // namespace

// The browse buttons on real windows: the open-file dialog and the folder browser, driven as a user would.
#include "dialogs/VelmoraDlg.h"
#include "win32/Win32Form.h"

#include <commdlg.h>
#include <dlgs.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kPatienceMs = 30000;

bool WaitFor(const std::function<bool()>& condition)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > kPatienceMs)
            return false;
        ::Sleep(20);
    }
    return true;
}

std::wstring Text(HWND window)
{
    const auto length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto copied = ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    if (::GetWindow(window, GW_OWNER) == search->owner && ::IsWindowVisible(window) &&
        ClassOf(window) == L"#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible dialog the form has opened over itself: a common dialog or a message box.
HWND OwnedDialog(HWND owner)
{
    OwnedSearch search{owner, nullptr};
    ::EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForOwnedDialog(HWND owner)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = OwnedDialog(owner)) != nullptr; });
    return found;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// A click that opens a modal window is posted: a sent one would not return until that window closed.
void Click(HWND button)
{
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

// Closes a dialog with one of its buttons and waits until it is gone.
bool Press(HWND dialog, int button)
{
    Click(::GetDlgItem(dialog, button));
    return WaitFor([&] { return !::IsWindow(dialog); });
}

// The real main form, hosted on the test's thread; a second thread acts as its user.
class CHostedForm : public CVelmoraDlg {
public:
    std::atomic<HWND> window{nullptr};

    bool OnInitDialog() override
    {
        const bool focus = CVelmoraDlg::OnInitDialog();
        window = static_cast<CWin32Form&>(Form()).Window();
        return focus;
    }
};

class CommonDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        // As at start-up: the folder browser's new style wants an apartment on the form's thread.
        m_com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"velmora-dialogs-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
    }

    void TearDown() override
    {
        for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) {
            if (!::DeleteFileW(it->c_str()))
                ::RemoveDirectoryW(it->c_str());
        }
        ::RemoveDirectoryW(m_folder.c_str());
        if (SUCCEEDED(m_com))
            ::CoUninitialize();
    }

    // Runs the form until the user has done everything, then closes it as Escape would.
    void Run(const std::function<void(HWND form)>& user)
    {
        CHostedForm dialog;
        std::thread driver([&] {
            if (!WaitFor([&] { return dialog.window.load() != nullptr; })) {
                ADD_FAILURE() << "the form did not open";
                return;
            }
            user(dialog.window);
            // A dialog left open by a failed step would keep the form's run from ending.
            for (HWND left; (left = OwnedDialog(dialog.window)) != nullptr;) {
                ADD_FAILURE() << "a dialog was left open";
                ::SendMessageW(left, WM_CLOSE, 0, 0);
                WaitFor([&] { return !::IsWindow(left); });
            }
            ::PostMessageW(dialog.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        CWin32Form::DoModal(dialog, nullptr);
        driver.join();
    }

    std::wstring MakeFolder(const std::wstring& path)
    {
        ::CreateDirectoryW(path.c_str(), nullptr);
        m_created.push_back(path);
        return path;
    }

    std::wstring MakeFile(const std::wstring& path)
    {
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
        m_created.push_back(path);
        return path;
    }

    std::wstring m_folder;

private:
    HRESULT m_com = E_FAIL;
    std::vector<std::wstring> m_created;
};

// The explorer-style dialog keeps its file name in an editable combo box; older templates in an edit.
HWND FileNameBox(HWND dialog)
{
    const HWND combo = ::GetDlgItem(dialog, cmb13);
    return combo ? combo : ::GetDlgItem(dialog, edt1);
}

// Opens the file dialog from the form, types a name into it and presses one of its buttons.
std::wstring TypeIntoFileDialog(HWND form, const std::wstring& typed, int button)
{
    Click(::GetDlgItem(form, IDC_BROWSE_FILE));
    const HWND dialog = WaitForOwnedDialog(form);
    if (!dialog)
        return L"<no file dialog>";
    ::SetWindowTextW(FileNameBox(dialog), typed.c_str());
    if (!Press(dialog, button))
        return L"<file dialog stayed open>";
    return Text(::GetDlgItem(form, IDC_SOURCE_FILE));
}

TEST_F(CommonDialogs, FileDialogOffersDiskImagesAndHidesReadOnly)
{
    Run([&](HWND form) {
        Click(::GetDlgItem(form, IDC_BROWSE_FILE));
        const HWND dialog = WaitForOwnedDialog(form);
        ASSERT_NE(dialog, nullptr);

        const HWND types = ::GetDlgItem(dialog, cmb1);
        std::vector<std::wstring> offered;
        for (LRESULT i = 0; i < ::SendMessageW(types, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t entry[128] = {};
            ::SendMessageW(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
            offered.emplace_back(entry);
        }
        EXPECT_EQ(offered, (std::vector<std::wstring>{L"Vmdk Files (*.vmdk)", L"IMG Files (*.img)",
                                                      L"DSK Files (*.dsk)", L"All Files (*.*)"}));
        EXPECT_EQ(::SendMessageW(types, CB_GETCURSEL, 0, 0), 0);
        const HWND readOnly = ::GetDlgItem(dialog, chx1);
        EXPECT_TRUE(!readOnly || !::IsWindowVisible(readOnly));
        EXPECT_TRUE(Press(dialog, IDCANCEL));
    });
}

TEST_F(CommonDialogs, FileDialogTakesTypedNamesAndCancelKeepsTheLastOne)
{
    MakeFile(m_folder + L"\\scan.vmdk");
    Run([&](HWND form) {
        // Wine's dialog appends the default extension only when a file of that name exists, so
        // the typed name without extension is one that exists as scan.vmdk. A missing name
        // typed without extension comes back without one under Wine; Windows appends it.
        EXPECT_EQ(TypeIntoFileDialog(form, m_folder + L"\\scan", IDOK), m_folder + L"\\scan.vmdk");
        // Nothing demands that the file exist.
        EXPECT_EQ(TypeIntoFileDialog(form, m_folder + L"\\missing.img", IDOK), m_folder + L"\\missing.img");
        // A name longer than 260 characters is not tried: Wine's dialog copies a typed name into a
        // buffer of that size and crashes. That the form takes such a name whole is a unit test.
        EXPECT_EQ(TypeIntoFileDialog(form, m_folder + L"\\other.dsk", IDCANCEL), m_folder + L"\\missing.img");
    });
}

// Opens the folder browser from the form, selects a folder in it and presses one of its buttons.
std::wstring ChooseFolder(HWND form, const std::wstring& folder, int button)
{
    Click(::GetDlgItem(form, IDC_BROWSE_FOLDER));
    const HWND browser = WaitForOwnedDialog(form);
    if (!browser)
        return L"<no folder browser>";
    ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    if (!Press(browser, button))
        return L"<folder browser stayed open>";
    return Text(::GetDlgItem(form, IDC_SAVE_PATH));
}

TEST_F(CommonDialogs, FolderBrowserShowsTheTitleAndAnEditBox)
{
    Run([&](HWND form) {
        Click(::GetDlgItem(form, IDC_BROWSE_FOLDER));
        const HWND browser = WaitForOwnedDialog(form);
        ASSERT_NE(browser, nullptr);
        bool title = false;
        bool edit = false;
        for (HWND child : Children(browser)) {
            title = title || Text(child) == L"please select path";
            edit = edit || (ClassOf(child) == L"Edit" && ::IsWindowVisible(child));
        }
        EXPECT_TRUE(title);
        EXPECT_TRUE(edit);
        EXPECT_TRUE(Press(browser, IDCANCEL));
    });
}

TEST_F(CommonDialogs, FolderBrowserFillsTheSavePathAndCancelKeepsIt)
{
    // ASCII names only: under the C locale Wine cannot put other characters into a Unix file name.
    const std::wstring folder = MakeFolder(MakeFolder(m_folder + L"\\recordings") + L"\\cam 1");
    Run([&](HWND form) {
        EXPECT_EQ(ChooseFolder(form, folder, IDOK), folder);
        EXPECT_EQ(ChooseFolder(form, L"C:\\", IDOK), L"C:");
        EXPECT_EQ(ChooseFolder(form, folder, IDCANCEL), L"C:");
    });
}

}  // namespace

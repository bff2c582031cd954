// The browse buttons on real windows: the open-file dialog and the folder browser, driven as a user would.
#include "tests/wine/WinTestSupport.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <filesystem>

namespace {

// Each test gets a folder of its own with a disk image and two nested folders in it.
class CommonDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"velmora-dialogs-" + std::to_wstring(::GetCurrentProcessId());
        // ASCII names only: under the C locale Wine cannot put other characters into a Unix file name.
        std::filesystem::create_directories(m_folder + L"\\recordings\\cam 1", m_error);
        ::CloseHandle(::CreateFileW((m_folder + L"\\scan.vmdk").c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, 0, nullptr));
    }
    void TearDown() override
    {
        // The file dialog leaves the process in the folder it showed last, which would keep it from going.
        ::SetCurrentDirectoryW(L"C:\\");
        std::filesystem::remove_all(m_folder, m_error);
    }

    std::wstring m_folder;
    std::error_code m_error;
};

// Opens the file dialog from the form, types a name into it and presses one of its buttons.
std::wstring TypeIntoFileDialog(HWND form, const std::wstring& typed, int button)
{
    Click(::GetDlgItem(form, IDC_BROWSE_FILE));
    const HWND dialog = WaitForOwnedDialog(form);
    if (!dialog)
        return L"<no file dialog>";
    // The explorer-style dialog keeps its file name in an editable combo box; older templates in an edit.
    const HWND combo = ::GetDlgItem(dialog, cmb13);
    ::SetWindowTextW(combo ? combo : ::GetDlgItem(dialog, edt1), typed.c_str());
    if (!Press(dialog, button))
        return L"<file dialog stayed open>";
    return WindowText(::GetDlgItem(form, IDC_SOURCE_FILE));
}

TEST_F(CommonDialogs, FileDialogTakesTypedNamesAndCancelKeepsTheLastOne)
{
    RunMainForm([&](HWND form) {
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
    // Now and then Wine's browser stops short of a deep folder and leaves the selection at the top of
    // its tree; asking again finds it.
    const HWND tree = ::FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
    PumpUntil([&] {
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        return ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) !=
               ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    });
    if (!Press(browser, button))
        return L"<folder browser stayed open>";
    return WindowText(::GetDlgItem(form, IDC_SAVE_PATH));
}

TEST_F(CommonDialogs, FolderBrowserFillsTheSavePathAndCancelKeepsIt)
{
    const std::wstring folder = m_folder + L"\\recordings\\cam 1";
    RunMainForm([&](HWND form) {
        EXPECT_EQ(ChooseFolder(form, folder, IDOK), folder);
        EXPECT_EQ(ChooseFolder(form, L"C:\\", IDOK), L"C:");
        EXPECT_EQ(ChooseFolder(form, folder, IDCANCEL), L"C:");
    });
}

}  // namespace

// The Win32 adapter: carries the form operations of one dialog to its real window.
#pragma once

#include "controls/FittedPictures.h"
#include "dialogs/Form.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

class CWin32Form : public IForm {
public:
    // Creates the dialog from its template and runs it modally; the form lives as long as the run.
    static INT_PTR DoModal(CDialog& dialog, HWND owner);

    std::wstring ItemText(int id) const override;
    void SetItemText(int id, std::wstring_view text) override;
    void EnableItem(int id, bool enable) override;
    bool IsChecked(int id) const override;
    void SetChecked(int id, bool checked) override;
    void AddListEntry(int id, std::wstring_view text) override;
    void SelectListEntry(int id, int index) override;
    void MoveLabelBefore(int id) override;
    void SetAccessibleName(int id, std::wstring_view name) override;

    void SetIcons(int iconId) override;
    std::wstring LoadText(int stringId) const override;
    bool AddSystemMenuItem(unsigned command, std::wstring_view text) override;
    std::wstring ProgramName() const override;

    std::optional<std::wstring> AskOpenFile(const OpenFileRequest& request) override;
    FolderAnswer AskFolder(std::wstring_view title, unsigned flags) override;
    void ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style) override;
    void ShellOpen(std::wstring_view address) override;

    std::optional<Colour> HighContrastText() const override;
    bool IsIconic() const override;
    Size ClientSize() const override;
    Size IconSize() const override;
    void PaintIcon(Point origin) override;

    int RunModal(CDialog& dialog) override;
    void EndDialog(int result) override;
    bool AttachLink(int id, CMyStaticLink& link, std::wstring_view target,
                    std::wstring_view caption) override;

    HWND Window() const { return m_hwnd; }

private:
    explicit CWin32Form(CDialog& dialog) : m_dialog(dialog) {}

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK NamedControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnCtlColor(UINT message, HDC dc, HWND control);
    HWND Control(int id) const;

    CDialog& m_dialog;
    HWND m_hwnd = nullptr;
    HICON m_icon = nullptr;  // shared resource icon: never destroyed
    CFittedPictures m_pictures;
    bool m_keepsFocus = false;  // the dialog itself holds the focus until the user moves it
    mutable std::vector<std::pair<int, HWND>> m_controls;  // found by identifier, for the dialog's life

    struct CNamedControl {
        HWND control;
        WNDPROC savedProcedure;
        std::wstring name;
    };
    std::vector<CNamedControl> m_named;
};

// Places a window the way a dialog without a position of its own is placed: over its owner,
// or in the middle of its monitor's work area when it has none, and never off that area.
void CenterWindow(HWND hwnd);

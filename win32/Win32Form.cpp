// The Win32 adapter: one dialog procedure for every dialog, and the form operations on real windows.
#include "win32/Win32Form.h"

#include "controls/MyStaticLink.h"
#include "dialogs/Dialog.h"
#include "system/Accessible.h"
#include "system/ProgramName.h"
#include "system/SystemDll.h"
#include "win32/Holders.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

static_assert(kBnClicked == BN_CLICKED);
static_assert(kIdOk == IDOK && kIdCancel == IDCANCEL);
static_assert(kMbOk == MB_OK && kMbIconStop == MB_ICONSTOP);
static_assert(kOfnOverwritePrompt == OFN_OVERWRITEPROMPT && kOfnHideReadOnly == OFN_HIDEREADONLY);
static_assert(kBifReturnOnlyFsDirs == BIF_RETURNONLYFSDIRS &&
              kBifReturnFsAncestors == BIF_RETURNFSANCESTORS && kBifEditBox == BIF_EDITBOX &&
              kBifNewDialogStyle == BIF_NEWDIALOGSTYLE);
static_assert(Rgb(1, 2, 3) == RGB(1, 2, 3));

namespace {

// Enough for the long names the shell accepts, so a deep path is taken whole instead of failing.
constexpr DWORD kOpenFileBufferChars = 32768;

std::wstring Terminated(std::wstring_view text)
{
    return std::wstring(text);
}

// The filter arrives as "Description|pattern|...||"; the dialog wants NUL separators.
std::wstring NulSeparated(std::wstring_view filter)
{
    std::wstring result(filter);
    for (wchar_t& c : result) {
        if (c == L'|')
            c = L'\0';
    }
    result.push_back(L'\0');
    return result;
}

FolderAnswer BrowseWith(IMalloc& allocator, HWND owner, std::wstring_view title, unsigned flags)
{
    wchar_t displayName[MAX_PATH] = {};
    const std::wstring titleText = Terminated(title);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = displayName;
    info.lpszTitle = titleText.c_str();
    info.ulFlags = flags;

    CItemList items(SYSTEM_FUNCTION(Shell32, SHBrowseForFolderW)(&info), allocator);
    if (!items)
        return {FolderOutcome::Cancelled, {}};

    wchar_t path[MAX_PATH] = {};
    if (!SYSTEM_FUNCTION(Shell32, SHGetPathFromIDListW)(items.get(), path))
        return {FolderOutcome::ConversionFailed, {}};
    return {FolderOutcome::Chosen, path};
}

}  // namespace

INT_PTR CWin32Form::DoModal(CDialog& dialog, HWND owner)
{
    CWin32Form form(dialog);
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialog.TemplateId()), owner,
                             DialogProc, reinterpret_cast<LPARAM>(&form));
}

INT_PTR CALLBACK CWin32Form::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* form = reinterpret_cast<CWin32Form*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        form->m_hwnd = hwnd;
        form->m_dialog.BindForm(form);
    }
    // Messages such as WM_SETFONT come before WM_INITDIALOG, when there is no form yet.
    auto* form = reinterpret_cast<CWin32Form*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!form)
        return FALSE;

    const INT_PTR result = form->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        form->m_dialog.BindForm(nullptr);
        form->m_hwnd = nullptr;
    }
    return result;
}

// A dialog procedure returns TRUE when it handled the message and FALSE for the default handling,
// except where a case says otherwise.
INT_PTR CWin32Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        m_pictures.Fit(m_hwnd, m_dialog.TemplateId());
        CenterWindow(m_hwnd);
        // TRUE: the system puts the focus on the first tab stop.
        m_keepsFocus = !m_dialog.OnInitDialog();
        return m_keepsFocus ? FALSE : TRUE;
    case WM_SETFOCUS:
        // The default handling would hand the focus straight on to the first tab stop.
        return m_keepsFocus ? TRUE : FALSE;
    case WM_COMMAND:
        return m_dialog.OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_SYSCOMMAND:
        return m_dialog.OnSysCommand(static_cast<unsigned>(wParam)) ? TRUE : FALSE;
    case WM_PAINT:
        return m_dialog.OnPaint() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
        // The icon itself is the answer.
        return reinterpret_cast<INT_PTR>(m_icon);
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return OnCtlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
        return FALSE;
    }
}

// The answer to a colour request is the brush itself; FALSE leaves the whole request to the system.
INT_PTR CWin32Form::OnCtlColor(UINT message, HDC dc, HWND control)
{
    const std::optional<TextStyle> style = m_dialog.OnCtlColor(::GetDlgCtrlID(control));
    if (!style)
        return FALSE;
    // The default handling sets the default colours as it picks the brush, so it goes first.
    const LRESULT brush =
        ::DefWindowProcW(m_hwnd, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    ::SetTextColor(dc, style->text);
    if (style->transparent)
        ::SetBkMode(dc, TRANSPARENT);
    return static_cast<INT_PTR>(brush);
}

// Finding a control by its identifier is a round trip to the window manager each time, and setting up
// the form alone asks for its controls twenty times. A dialog keeps its controls until it is destroyed.
HWND CWin32Form::Control(int id) const
{
    for (const auto& [known, control] : m_controls) {
        if (known == id)
            return control;
    }
    const HWND control = ::GetDlgItem(m_hwnd, id);
    if (control)
        m_controls.emplace_back(id, control);
    return control;
}

std::wstring CWin32Form::ItemText(int id) const
{
    const HWND control = Control(id);
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void CWin32Form::SetItemText(int id, std::wstring_view text)
{
    ::SetWindowTextW(Control(id), Terminated(text).c_str());
}

void CWin32Form::EnableItem(int id, bool enable)
{
    // EnableWindow answers with the previous state, which nobody needs.
    ::EnableWindow(Control(id), enable ? TRUE : FALSE);
}

bool CWin32Form::IsChecked(int id) const
{
    return ::SendMessageW(Control(id), BM_GETCHECK, 0, 0) != BST_UNCHECKED;
}

void CWin32Form::SetChecked(int id, bool checked)
{
    ::SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CWin32Form::AddListEntry(int id, std::wstring_view text)
{
    ::SendMessageW(Control(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Terminated(text).c_str()));
}

void CWin32Form::SelectListEntry(int id, int index)
{
    ::SendMessageW(Control(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CWin32Form::MoveLabelBefore(int id)
{
    const HWND control = Control(id);
    const HWND label = control ? ::GetWindow(control, GW_HWNDNEXT) : nullptr;
    if (!label)
        return;
    // A window is placed after the one named, so the label goes after the control's predecessor, or first.
    const HWND previous = ::GetWindow(control, GW_HWNDPREV);
    ::SetWindowPos(label, previous ? previous : HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CWin32Form::SetAccessibleName(int id, std::wstring_view name)
{
    const HWND control = Control(id);
    if (!control)
        return;
    // Recorded before the procedure changes, so that every message the new one gets finds its entry.
    m_named.push_back(
        {control, reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(control, GWLP_WNDPROC)), std::wstring(name)});
    ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NamedControlProc));
}

// The form outlives its controls: the dialog's window is destroyed after its children.
LRESULT CALLBACK CWin32Form::NamedControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& named = reinterpret_cast<CWin32Form*>(::GetWindowLongPtrW(::GetParent(hwnd), DWLP_USER))->m_named;
    const auto entry = std::find_if(named.begin(), named.end(),
                                    [&](const CNamedControl& each) { return each.control == hwnd; });
    if (message == WM_GETOBJECT) {
        AccessibleTraits traits{};
        traits.name = entry->name;
        if (const LRESULT answer = AnswerGetObject(hwnd, wParam, lParam, traits))
            return answer;
    }
    const WNDPROC saved = entry->savedProcedure;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
        named.erase(entry);
    }
    return ::CallWindowProcW(saved, hwnd, message, wParam, lParam);
}

void CWin32Form::SetIcons(int iconId)
{
    m_icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId));
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
}

std::wstring CWin32Form::LoadText(int stringId) const
{
    // With a zero length, LoadStringW hands out a pointer into the resource instead of copying.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(stringId),
                                     reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text)
        return {};
    return std::wstring(text, static_cast<size_t>(length));
}

bool CWin32Form::AddSystemMenuItem(unsigned command, std::wstring_view text)
{
    const HMENU menu = ::GetSystemMenu(m_hwnd, FALSE);
    if (!menu)
        return false;
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, command, Terminated(text).c_str());
    return true;
}

std::wstring CWin32Form::ProgramName() const
{
    return ExecutableBaseName();
}

std::optional<std::wstring> CWin32Form::AskOpenFile(const OpenFileRequest& request)
{
    const std::wstring filter = NulSeparated(request.filter);
    const std::wstring extension = Terminated(request.defaultExtension);
    std::vector<wchar_t> file(kOpenFileBufferChars, L'\0');

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_hwnd;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = kOpenFileBufferChars;
    ofn.lpstrDefExt = extension.c_str();
    ofn.Flags = request.flags | OFN_EXPLORER | OFN_ENABLESIZING;
    JoinOle();
    if (!SYSTEM_FUNCTION(Comdlg32, GetOpenFileNameW)(&ofn))
        return std::nullopt;
    return std::wstring(file.data());
}

FolderAnswer CWin32Form::AskFolder(std::wstring_view title, unsigned flags)
{
    // The browser's new dialog style needs COM, and its view OLE for dragging and pasting.
    JoinOle();
    IMalloc* allocator = nullptr;
    if (SYSTEM_FUNCTION(Shell32, SHGetMalloc)(&allocator) != S_OK || !allocator)
        return {FolderOutcome::NoAllocator, {}};
    FolderAnswer answer = BrowseWith(*allocator, m_hwnd, title, flags);
    allocator->Release();
    return answer;
}

void CWin32Form::ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style)
{
    ::MessageBoxW(m_hwnd, Terminated(text).c_str(), Terminated(caption).c_str(), style);
}

void CWin32Form::ShellOpen(std::wstring_view address)
{
    OpenInShell(Terminated(address).c_str());
}

std::optional<Colour> CWin32Form::HighContrastText() const
{
    if (!HighContrastOn())
        return std::nullopt;
    return ::GetSysColor(COLOR_WINDOWTEXT);
}

bool CWin32Form::IsIconic() const
{
    return ::IsIconic(m_hwnd) != FALSE;
}

Size CWin32Form::ClientSize() const
{
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    return {client.right - client.left, client.bottom - client.top};
}

Size CWin32Form::IconSize() const
{
    return {::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)};
}

void CWin32Form::PaintIcon(Point origin)
{
    CPaintScope paint(m_hwnd);
    ::SendMessageW(m_hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Dc()), 0);
    ::DrawIcon(paint.Dc(), origin.x, origin.y, m_icon);
}

int CWin32Form::RunModal(CDialog& dialog)
{
    return static_cast<int>(DoModal(dialog, m_hwnd));
}

void CWin32Form::EndDialog(int result)
{
    ::EndDialog(m_hwnd, result);
}

bool CWin32Form::AttachLink(int id, CMyStaticLink& link, std::wstring_view target, std::wstring_view caption)
{
    // The texts are set even when the attach fails: a record keeps them for a later attach.
    const bool attached = link.Attach(Control(id));
    const bool texts = link.SetTarget(target, caption);
    return attached && texts;
}

void CenterWindow(HWND hwnd)
{
    const HWND owner = ::GetWindow(hwnd, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT area = monitor.rcWork;

    RECT around = area;
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &around);

    RECT window{};
    ::GetWindowRect(hwnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = around.left + (around.right - around.left - width) / 2;
    int y = around.top + (around.bottom - around.top - height) / 2;
    if (x + width > area.right)
        x = area.right - width;
    if (x < area.left)
        x = area.left;
    if (y + height > area.bottom)
        y = area.bottom - height;
    if (y < area.top)
        y = area.top;
    ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Drives the real program from outside its process, the way a user would.
#include "Harness.h"

#include <sstream>

namespace {

constexpr int kMessageBoxTextId = 0xFFFF;
// Windows numbers a message box's icon 20; Wine's own template numbers it 0x440.
constexpr int kMessageBoxIconIds[] = {20, 0x440};

struct WindowQuery {
    DWORD processId;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam)
{
    auto& query = *reinterpret_cast<WindowQuery*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != query.processId || !::IsWindowVisible(window))
        return TRUE;
    if (query.className) {
        wchar_t name[64] = {};
        ::GetClassNameW(window, name, 64);
        if (::lstrcmpiW(name, query.className) != 0)
            return TRUE;
    }
    query.found.push_back(window);
    return TRUE;
}

// The whole file as UTF-16 text, read while its writer may still have it open.
std::wstring ReadWideFile(const std::wstring& path)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::wstring text;
    wchar_t buffer[2048];
    DWORD got = 0;
    while (file != INVALID_HANDLE_VALUE && ::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got / sizeof(wchar_t));
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return text;
}

// The visible dialog-class window of the process with this owner; the form has none.
HWND DialogOf(DWORD processId, HWND owner)
{
    for (HWND window : VisibleWindowsOf(processId, L"#32770")) {
        if (::GetWindow(window, GW_OWNER) == owner)
            return window;
    }
    return nullptr;
}

const wchar_t* const kProtocolKeys[] = {L"Software\\Classes\\http\\shell\\open\\command",
                                        L"Software\\Classes\\https\\shell\\open\\command"};

}  // namespace

std::wstring ProgramPath()
{
    return BuildFolder() + L"Velmora.exe";
}

CProgram::~CProgram()
{
    if (!m_process.hProcess)
        return;
    if (IsRunning()) {
        ::TerminateProcess(m_process.hProcess, 1);
        ::WaitForSingleObject(m_process.hProcess, 10000);
    }
    ::CloseHandle(m_process.hThread);
    ::CloseHandle(m_process.hProcess);
}

bool CProgram::Start(const std::wstring& exePath)
{
    std::wstring commandLine = L"\"" + exePath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          BuildFolder().c_str(), &startup, &m_process))
        return false;
    ::WaitForInputIdle(m_process.hProcess, 30000);
    return true;
}

HWND CProgram::WaitForForm(DWORD timeoutMs)
{
    HWND form = nullptr;
    WaitUntil([&] { return (form = DialogOf(m_process.dwProcessId, nullptr)) != nullptr || !IsRunning(); },
              timeoutMs);
    return form;
}

bool CProgram::WaitForExit(DWORD timeoutMs)
{
    return ::WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

bool CProgram::IsRunning() const
{
    return ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD CProgram::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

std::vector<HWND> VisibleWindowsOf(DWORD processId, const wchar_t* className)
{
    WindowQuery query{processId, className, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(owner, &processId);
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = DialogOf(processId, owner)) != nullptr; }, timeoutMs);
    return dialog;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    return WaitUntil([&] { return !::IsWindow(window) || !::IsWindowVisible(window); }, timeoutMs);
}

std::wstring Text(HWND window)
{
    const LRESULT length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring ItemText(HWND dialog, int id)
{
    return Text(::GetDlgItem(dialog, id));
}

bool IsItemEnabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

bool IsItemChecked(HWND dialog, int id)
{
    return ::SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

GUITHREADINFO ThreadStateOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info;
}

HWND FocusOf(HWND window)
{
    return ThreadStateOf(window).hwndFocus;
}

void Click(HWND dialog, int id)
{
    ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void PressKey(HWND window, WORD virtualKey)
{
    HWND target = FocusOf(window);
    if (!target)
        target = window;
    const UINT scan = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    ::PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
    ::PostMessageW(target, WM_KEYUP, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16) | (3u << 30));
}

MessageBoxInfo ReadMessageBox(HWND box)
{
    MessageBoxInfo info{Text(box), ItemText(box, kMessageBoxTextId), {}, false};
    for (int id : kMessageBoxIconIds) {
        const HWND icon = ::GetDlgItem(box, id);
        info.hasIcon = info.hasIcon || (icon && ::SendMessageW(icon, STM_GETICON, 0, 0) != 0);
    }
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        ::GetClassNameW(child, name, 32);
        if (::lstrcmpiW(name, L"Button") == 0 && ::IsWindowVisible(child))
            info.buttons.push_back(Text(child));
    }
    return info;
}

CBrowserStandIn::CBrowserStandIn()
    : m_log(BuildFolder() + L"opened-" + std::to_wstring(::GetCurrentProcessId()) + L".log")
{
    ::DeleteFileW(m_log.c_str());
    const std::wstring command = L"\"" + BuildFolder() + L"url_logger.exe\" \"" + m_log + L"\" \"%1\"";
    for (const wchar_t* key : kProtocolKeys) {
        wchar_t previous[1024] = {};
        DWORD size = sizeof previous;
        if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, nullptr, RRF_RT_REG_SZ, nullptr, previous, &size) !=
            ERROR_SUCCESS)
            previous[0] = L'\0';
        m_previous.emplace_back(key, previous);
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, nullptr, REG_SZ, command.c_str(),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
}

CBrowserStandIn::~CBrowserStandIn()
{
    for (const auto& [key, command] : m_previous) {
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, command.c_str(),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    ::DeleteFileW(m_log.c_str());
}

std::vector<std::wstring> CBrowserStandIn::Addresses() const
{
    std::vector<std::wstring> addresses;
    std::wistringstream lines(ReadWideFile(m_log));
    for (std::wstring line; std::getline(lines, line);)
        addresses.push_back(line);
    return addresses;
}

bool CBrowserStandIn::WaitForAddresses(size_t count, DWORD timeoutMs) const
{
    return WaitUntil([&] { return Addresses().size() >= count; }, timeoutMs);
}

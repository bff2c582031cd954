// Drives the real program from outside its process, the way a user would.
#include "tests/e2e/Harness.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

const wchar_t kWebHandler[] = L"Software\\Classes\\http\\shell\\open\\command";

struct DialogSearch {
    DWORD processId;
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    auto& search = *reinterpret_cast<DialogSearch*>(param);
    DWORD processId = 0;
    wchar_t name[8] = {};
    ::GetWindowThreadProcessId(window, &processId);
    ::GetClassNameW(window, name, 8);
    if (processId != search.processId || ::GetWindow(window, GW_OWNER) != search.owner ||
        !::IsWindowVisible(window) || ::lstrcmpW(name, L"#32770") != 0)
        return TRUE;
    search.found = window;
    return FALSE;
}

HWND WaitForDialog(DWORD processId, HWND owner)
{
    DialogSearch search{processId, owner, nullptr};
    WaitUntil([&] { return !::EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search)); });
    return search.found;
}

}  // namespace

CProgram::CProgram(const std::wstring& path)
{
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         BuildFolder().c_str(), &startup, &m_process))
        ::WaitForInputIdle(m_process.hProcess, 30000);
}

CProgram::~CProgram()
{
    if (!m_process.hProcess)
        return;
    if (::TerminateProcess(m_process.hProcess, 1))
        ::WaitForSingleObject(m_process.hProcess, 10000);
    ::CloseHandle(m_process.hThread);
    ::CloseHandle(m_process.hProcess);
}

HWND CProgram::Form() const
{
    return m_process.hProcess ? WaitForDialog(m_process.dwProcessId, nullptr) : nullptr;
}

DWORD CProgram::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

HWND WaitForDialogOver(HWND owner)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(owner, &processId);
    return WaitForDialog(processId, owner);
}

std::wstring Text(HWND window)
{
    std::wstring text(static_cast<size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(
        ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void PressKey(HWND window, WORD virtualKey)
{
    const HWND target = FocusOf(window) ? FocusOf(window) : window;
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    ::PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | scan);
    ::PostMessageW(target, WM_KEYUP, virtualKey, 1 | scan | (3u << 30));
}

void TypeKey(WORD virtualKey, DWORD flags, wchar_t character)
{
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = virtualKey;
    key.ki.wScan = character;
    key.ki.dwFlags = flags;
    ::SendInput(1, &key, sizeof key);
}

CBrowserStandIn::CBrowserStandIn()
    : m_log(BuildFolder() + L"opened-" + std::to_wstring(::GetCurrentProcessId()) + L".log")
{
    ::DeleteFileW(m_log.c_str());
    wchar_t previous[1024] = {};
    DWORD size = sizeof previous;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kWebHandler, nullptr, RRF_RT_REG_SZ, nullptr, previous, &size) ==
        ERROR_SUCCESS)
        m_previous = previous;
    const std::wstring command = L"\"" + BuildFolder() + L"url_logger.exe\" \"" + m_log + L"\" \"%1\"";
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kWebHandler, nullptr, REG_SZ, command.c_str(),
                      static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

CBrowserStandIn::~CBrowserStandIn()
{
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kWebHandler, nullptr, REG_SZ, m_previous.c_str(),
                      static_cast<DWORD>((m_previous.size() + 1) * sizeof(wchar_t)));
    ::DeleteFileW(m_log.c_str());
}

std::vector<std::wstring> CBrowserStandIn::WaitForAddresses(size_t count) const
{
    std::vector<std::wstring> addresses;
    WaitUntil([&] {
        addresses.clear();
        // The logger writes each address as one line of UTF-16 text.
        std::wstring text;
        if (FILE* log = ::_wfopen(m_log.c_str(), L"rb")) {
            for (wchar_t unit; std::fread(&unit, sizeof unit, 1, log) == 1;)
                text.push_back(unit);
            std::fclose(log);
        }
        std::wistringstream lines(text);
        for (std::wstring line; std::getline(lines, line);)
            addresses.push_back(line);
        return addresses.size() >= count;
    });
    std::sort(addresses.begin(), addresses.end());
    return addresses;
}

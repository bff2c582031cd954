// Drives the real program from outside its process, the way a user would.
#pragma once

#include "tests/BuildFolder.h"

#include <windows.h>

#include <string>
#include <vector>

// Polls until the condition holds or fifteen seconds pass; answers the last result.
template <class Condition>
bool WaitUntil(Condition condition)
{
    for (const ULONGLONG end = ::GetTickCount64() + 15000;; ::Sleep(20)) {
        if (condition())
            return true;
        if (::GetTickCount64() > end)
            return false;
    }
}

// One running copy of the program; whatever is still running when it goes is ended.
class CProgram {
public:
    explicit CProgram(const std::wstring& path = BuildFolder() + L"Velmora.exe");
    ~CProgram();
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;

    // The program's form once it shows; null if none did.
    HWND Form() const;
    bool WaitForExit() const { return ::WaitForSingleObject(m_process.hProcess, 15000) == WAIT_OBJECT_0; }
    DWORD ExitCode() const;

private:
    PROCESS_INFORMATION m_process{};
};

// The visible dialog-class window over the owner: a message box or the About box.
HWND WaitForDialogOver(HWND owner);
// Reads go through WM_GETTEXT: GetWindowText does not ask another process's windows.
std::wstring Text(HWND window);
HWND FocusOf(HWND window);
// A key press posted to the control with the focus, through the program's own dialog message handling.
void PressKey(HWND window, WORD virtualKey);
// A key through the system's input queue, as if typed; with KEYEVENTF_UNICODE, the character instead.
void TypeKey(WORD virtualKey, DWORD flags, wchar_t character = 0);

// Registers a logger as the program that opens web addresses, so no browser starts and each address the
// program hands to the shell can be read back exactly. The previous handler comes back when it goes.
class CBrowserStandIn {
public:
    CBrowserStandIn();
    ~CBrowserStandIn();
    CBrowserStandIn(const CBrowserStandIn&) = delete;
    CBrowserStandIn& operator=(const CBrowserStandIn&) = delete;

    // Waits for that many and answers them sorted: loggers started together may write in either order.
    std::vector<std::wstring> WaitForAddresses(size_t count) const;

private:
    std::wstring m_log;
    std::wstring m_previous;
};

// Drives the real program from outside its process, the way a user would.
#pragma once

#include "tests/BuildFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

std::wstring ProgramPath();

// One running copy of the program. Whatever is still running when it goes is ended.
class CProgram {
public:
    CProgram() = default;
    ~CProgram();
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;

    bool Start(const std::wstring& exePath = ProgramPath());
    // The program's visible form; null if none appeared in time.
    HWND WaitForForm(DWORD timeoutMs = 30000);
    bool WaitForExit(DWORD timeoutMs = 15000);
    bool IsRunning() const;
    DWORD Id() const { return m_process.dwProcessId; }
    DWORD ExitCode() const;

private:
    PROCESS_INFORMATION m_process{};
};

// Visible top-level windows of one process, optionally of one window class.
std::vector<HWND> VisibleWindowsOf(DWORD processId, const wchar_t* className = nullptr);
// A visible dialog-class window owned by owner: a message box, a common dialog, the About box.
HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs = 15000);
bool WaitForWindowGone(HWND window, DWORD timeoutMs = 15000);

// Reads go through WM_GETTEXT: GetWindowText does not ask another process's edit boxes. A drop-down
// list answers with its selected entry.
std::wstring Text(HWND window);
std::wstring ItemText(HWND dialog, int id);
bool IsItemEnabled(HWND dialog, int id);
bool IsItemChecked(HWND dialog, int id);
// Focus, capture and menu state of the window's thread, and the control that has the keyboard focus.
GUITHREADINFO ThreadStateOf(HWND window);
HWND FocusOf(HWND window);

// Posted, so that a click which opens a modal window does not block the test.
void Click(HWND dialog, int id);
// A key press delivered to the focused control, through the program's own dialog message handling.
void PressKey(HWND window, WORD virtualKey);

struct MessageBoxInfo {
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;
    bool hasIcon;
};
MessageBoxInfo ReadMessageBox(HWND box);

// Polls until the condition holds or the time is up; answers the last result.
template <class Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 15000)
{
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (::GetTickCount64() > end)
            return false;
        ::Sleep(20);
    }
}

// Registers a logger as the program that opens web addresses, so no browser starts and each
// address the program hands to the shell can be read back exactly. The previous handler comes back
// when it goes.
class CBrowserStandIn {
public:
    CBrowserStandIn();
    ~CBrowserStandIn();
    CBrowserStandIn(const CBrowserStandIn&) = delete;
    CBrowserStandIn& operator=(const CBrowserStandIn&) = delete;

    std::vector<std::wstring> Addresses() const;
    bool WaitForAddresses(size_t count, DWORD timeoutMs = 15000) const;

private:
    std::wstring m_log;
    std::vector<std::pair<std::wstring, std::wstring>> m_previous;  // key, old command
};

// A test that begins with the program started and its form shown.
class CFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(program.Start());
        form = program.WaitForForm();
        ASSERT_TRUE(form);
    }

    CProgram program;
    HWND form = nullptr;
};

// What both Windows test tiers need: where the program is built, waiting while pumping, finding dialogs,
// what a thread's windows are doing, and keys as a person types them.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

// The program is built beside the test executables.
inline std::wstring BuildFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, std::wcsrchr(path, L'\\') + 1);
}

// Dispatches this thread's messages, if it has any, until done() holds or fifteen seconds pass.
template <class Done>
bool PumpUntil(Done done)
{
    for (const ULONGLONG end = ::GetTickCount64() + 15000; ::GetTickCount64() < end; ::Sleep(10)) {
        for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
            ::DispatchMessageW(&msg);
        if (done())
            return true;
    }
    return done();
}

// The visible dialog of the thread over the owner: a common dialog, a message box, the About box, or with
// no owner the form itself. Waits for it unless told not to; null when there is none.
inline HWND WaitForDialog(DWORD thread, HWND owner, bool wait = true)
{
    HWND found = nullptr;
    const auto find = [&] {
        while ((found = ::FindWindowExW(nullptr, found, L"#32770", nullptr)) != nullptr) {
            if (::GetWindowThreadProcessId(found, nullptr) == thread &&
                ::GetWindow(found, GW_OWNER) == owner && ::IsWindowVisible(found))
                return true;
        }
        return false;
    };
    return (wait ? PumpUntil(find) : find()) ? found : nullptr;
}

// Which window of the thread has the focus, the capture, a menu open, and so on; from any process.
inline GUITHREADINFO StateOf(DWORD thread)
{
    GUITHREADINFO state{};
    state.cbSize = sizeof state;
    ::GetGUIThreadInfo(thread, &state);
    return state;
}

// Keys as typed, to the window in the foreground: pressed in turn and released in the reverse order, so
// that {VK_SHIFT, VK_TAB} is Shift+Tab. A key past the virtual-key codes is a character, typed as such.
inline void Press(const std::vector<wchar_t>& keys)
{
    std::vector<INPUT> input(keys.size() * 2, INPUT{INPUT_KEYBOARD, {}});
    size_t down = 0;
    for (const wchar_t key : keys) {
        const bool character = key > 0xFF;
        input[down].ki = {static_cast<WORD>(character ? 0 : key), static_cast<WORD>(character ? key : 0),
                          character ? KEYEVENTF_UNICODE : 0u, 0, 0};
        input[input.size() - 1 - down] = input[down];
        input[input.size() - 1 - down].ki.dwFlags |= KEYEVENTF_KEYUP;
        ++down;
    }
    ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

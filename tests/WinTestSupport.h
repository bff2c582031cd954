// What both Windows test tiers need: where the program is built, waiting while pumping, finding dialogs.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>

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

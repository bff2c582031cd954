// What both Windows test tiers need: where the program is built, waiting while pumping, finding dialogs.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>
#include <utility>

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

inline BOOL CALLBACK MatchDialog(HWND window, LPARAM search)
{
    auto& [owner, found] = *reinterpret_cast<std::pair<HWND, HWND>*>(search);
    wchar_t name[8] = {};
    ::GetClassNameW(window, name, 8);
    if (::GetWindow(window, GW_OWNER) == owner && ::IsWindowVisible(window) &&
        std::wcscmp(name, L"#32770") == 0)
        found = window;
    return !found;
}

// The visible dialog of the thread over the owner: a common dialog, a message box, the About box, or with
// no owner the form itself. Waits for it unless told not to; null when there is none.
inline HWND WaitForDialog(DWORD thread, HWND owner, bool wait = true)
{
    std::pair<HWND, HWND> search{owner, nullptr};
    const auto find = [&] {
        return !::EnumThreadWindows(thread, MatchDialog, reinterpret_cast<LPARAM>(&search));
    };
    return (wait ? PumpUntil(find) : find()) ? search.second : nullptr;
}

// Helpers for tests on real windows: waiting while pumping, finding dialogs, and the program's own
// start-up run in this process.
#pragma once

#include "app/VelmoraApp.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <functional>
#include <thread>

// Dispatches this thread's messages, if it has any, until done() holds or ten seconds pass.
template <class Done>
bool PumpUntil(Done done)
{
    for (const ULONGLONG end = ::GetTickCount64() + 10000;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (::GetTickCount64() > end)
            return false;
        ::Sleep(10);
    }
}

inline BOOL CALLBACK MatchDialog(HWND window, LPARAM search)
{
    auto& [owner, found] = *reinterpret_cast<std::pair<HWND, HWND>*>(search);
    wchar_t name[8] = {};
    ::GetClassNameW(window, name, 8);
    if (::GetWindow(window, GW_OWNER) != owner || !::IsWindowVisible(window) || std::wcscmp(name, L"#32770") != 0)
        return TRUE;
    found = window;
    return FALSE;
}

// The visible dialog of the thread with that owner: a common dialog, a message box, the About box, or
// with no owner the form itself. Waits for it to appear; null when none did.
inline HWND WaitForDialog(DWORD thread, HWND owner, bool wait = true)
{
    std::pair<HWND, HWND> search{owner, nullptr};
    const auto find = [&] { return !::EnumThreadWindows(thread, MatchDialog, reinterpret_cast<LPARAM>(&search)); };
    return (wait ? PumpUntil(find) : find()) ? search.second : nullptr;
}

inline HWND WaitForDialogOver(HWND form, bool wait = true)
{
    return WaitForDialog(::GetWindowThreadProcessId(form, nullptr), form, wait);
}

// Runs the program's start-up on a thread of its own, as the entry point does, and hands its form to user()
// here; then closes it with the caption's close button. Answers what asking for COM on that thread says
// afterwards: S_OK when start-up left it as it found it.
inline HRESULT RunProgram(const std::function<void(HWND form)>& user)
{
    std::atomic<DWORD> thread{0};
    HRESULT comAfter = E_UNEXPECTED;
    std::thread program([&] {
        thread = ::GetCurrentThreadId();
        theApp.InitInstance();
        comAfter = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(comAfter))
            ::CoUninitialize();
    });
    PumpUntil([&] { return thread != 0; });
    if (const HWND form = WaitForDialog(thread, nullptr)) {
        user(form);
        // A dialog left open by a failed step would keep the form's run from ending.
        for (HWND left; (left = WaitForDialogOver(form, false)) != nullptr; PumpUntil([&] { return !::IsWindow(left); })) {
            ADD_FAILURE() << "a dialog was left open";
            ::PostMessageW(left, WM_CLOSE, 0, 0);
        }
        ::PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (!PumpUntil([&] { return !::IsWindow(form); })) {
            ADD_FAILURE() << "the close button did not close the form";
            ::PostMessageW(form, WM_COMMAND, IDCANCEL, 0);
        }
    } else {
        ADD_FAILURE() << "the form did not open";
    }
    program.join();
    return comAfter;
}

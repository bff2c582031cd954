// Helpers for tests on real windows: waiting while pumping, the main form run in-process, painted pixels.
#pragma once

#include "dialogs/VelmoraDlg.h"
#include "win32/Win32Form.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// Dispatches this thread's messages, if it has any, until done() holds or the time is up; true when it held.
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs = 15000)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(10);
    }
}

// Lets windows that were just created or shown finish their first painting.
inline void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

inline std::wstring WindowText(HWND window)
{
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

inline std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

inline BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<std::pair<HWND, HWND>*>(param);
    if (::GetWindow(window, GW_OWNER) != search->first || !::IsWindowVisible(window) ||
        ClassOf(window) != L"#32770")
        return TRUE;
    search->second = window;
    return FALSE;
}

// The visible dialog the form has opened over itself: a common dialog, a message box or the About box.
inline HWND OwnedDialog(HWND owner)
{
    std::pair<HWND, HWND> search{owner, nullptr};
    ::EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

inline HWND WaitForOwnedDialog(HWND owner)
{
    HWND found = nullptr;
    PumpUntil([&] { return (found = OwnedDialog(owner)) != nullptr; });
    return found;
}

// Posted: a sent click that opens a modal window would not return until that window closed.
inline void Click(HWND button)
{
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

// Closes a dialog with one of its buttons and waits until it is gone.
inline bool Press(HWND dialog, int button)
{
    Click(::GetDlgItem(dialog, button));
    return PumpUntil([&] { return !::IsWindow(dialog); });
}

class CHostedForm : public CVelmoraDlg {
public:
    std::atomic<HWND> window{nullptr};

    bool OnInitDialog() override
    {
        const bool focus = CVelmoraDlg::OnInitDialog();
        window = static_cast<CWin32Form&>(Form()).Window();
        return focus;
    }
};

// Runs the real main form modally on this thread, through the adapter as at start-up, while user()
// acts on it from a second thread the way a person at the screen would; then closes it as Escape does.
inline void RunMainForm(const std::function<void(HWND form)>& user)
{
    // As at start-up: the folder browser's new style wants an apartment on the form's thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CHostedForm dialog;
    std::thread driver([&] {
        HWND form = nullptr;
        if (!PumpUntil([&] { return (form = dialog.window) != nullptr && ::IsWindowVisible(form); })) {
            ADD_FAILURE() << "the form did not open";
            return;
        }
        user(form);
        // A dialog left open by a failed step would keep the form's run from ending.
        for (HWND left; (left = OwnedDialog(form)) != nullptr;) {
            ADD_FAILURE() << "a dialog was left open";
            ::PostMessageW(left, WM_CLOSE, 0, 0);
            PumpUntil([&] { return !::IsWindow(left); });
        }
        ::PostMessageW(form, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(CWin32Form::DoModal(dialog, nullptr), IDCANCEL);
    driver.join();
    if (SUCCEEDED(com))
        ::CoUninitialize();
}

// How many pixels of the window's client area, as it is on screen, have the colour.
inline size_t CountColour(HWND hwnd, COLORREF colour)
{
    RECT client{};
    ::GetClientRect(hwnd, &client);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = ::GetDC(hwnd);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    ::GdiFlush();
    // The bitmap holds blue in the low byte, the reverse of a COLORREF.
    const std::uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    size_t count = 0;
    for (LONG i = 0; bits && i < client.right * client.bottom; ++i)
        count += (static_cast<const std::uint32_t*>(bits)[i] & 0xFFFFFF) == wanted ? 1 : 0;
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(hwnd, screen);
    return count;
}

// What a control tells assistive technology beyond what the system's standard object of its window says.
#pragma once

#include <windows.h>

#include <string_view>

struct AccessibleTraits {
    std::wstring_view name;           // empty: the standard object's
    long role = 0;                    // 0: the standard object's
    long states = 0;                  // added to the standard object's
    std::wstring_view defaultAction;  // empty: the standard object's
    // Posted to the window when a client invokes the default action: the client waits for the call to
    // return, so the action itself must not run inside it.
    UINT actionMessage = 0;
};

// The answer to WM_GETOBJECT for the window's client object: the system's standard object with the traits
// laid over it, and everything else (location, parent, navigation) answered as that object answers it.
// 0 for any other object, or when the system's accessibility DLL cannot be had; the window's own procedure
// then answers as it always did.
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, const AccessibleTraits& traits);

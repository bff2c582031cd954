// Yardsticks for start-up time, built the same way as the program: the smallest program that shows a
// dialog, and (BENCH_SHOW_FORM) one that shows the program's own form and does nothing else.
#include <windows.h>

#ifdef BENCH_SHOW_FORM
#include <commctrl.h>

#include "res/resource.h"
#endif

namespace {

INT_PTR CALLBACK EmptyProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
#ifdef BENCH_SHOW_FORM
    // The form's pickers cannot be created before their class is registered.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES;
    ::InitCommonControlsEx(&controls);
    const int dialogId = IDD_VELMORA_DIALOG;
#else
    const int dialogId = 1;
#endif
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(dialogId), nullptr, EmptyProc, 0);
    return 0;
}

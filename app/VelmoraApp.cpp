// Start-up: common controls, then the main form.
#include "app/VelmoraApp.h"

#include "dialogs/VelmoraDlg.h"
#include "system/SystemDll.h"
#include "win32/Win32Form.h"

#include <commctrl.h>

CVelmoraApp theApp;

bool CVelmoraApp::InitInstance()
{
    // The date pickers on the form need their class registered before the form is created.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES;
    SYSTEM_FUNCTION(Comctl32, InitCommonControlsEx)(&controls);

    // No profile is read or written: the program leaves nothing behind in the registry.
    CVelmoraDlg dialog;
    CWin32Form::DoModal(dialog, nullptr);  // every way of closing the form ends the program alike

    LeaveOle();
    return false;
}

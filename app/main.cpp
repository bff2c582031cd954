// Entry point: harden the process, then hand over to the application object.
#include "app/VelmoraApp.h"
#include "system/SystemDll.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    RestrictDllSearch();
    theApp.InitInstance();
    return 0;
}

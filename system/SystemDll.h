// The system DLLs that are not loaded at start, and the few functions the program calls in them.
#pragma once

#include <windows.h>

// Lets the process load DLLs from the system folder only, never a look-alike planted beside the executable
// or in the current folder; for the life of the process. Windows 7 without its 2011 loader update lacks
// SetDefaultDllDirectories: there only the current folder leaves the search, and the DLLs below are loaded
// so that their own imports come from the system folder too. Tests hand in the system's function, or null
// for a system without it.
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
void RestrictDllSearch();
void RestrictDllSearch(SetDefaultDllDirectoriesFunction setDefaultDllDirectories);

enum class SystemDll { Comctl32, Comdlg32, Shell32, Oleacc, Oleaut32, Ole32 };

// The function's address in the DLL, which is loaded by its full path in the system folder the first time
// it is needed and stays loaded. Never null: when the DLL cannot be loaded or lacks the function, the user
// is told which file and the program ends.
FARPROC SystemFunctionAddress(SystemDll dll, const char* name);
// The same, but null when the DLL cannot be loaded or lacks the function: for what the program can do
// without.
FARPROC OptionalSystemFunctionAddress(SystemDll dll, const char* name);

// OLE, and with it COM apartment-threaded, on the program's one thread: the common dialogs and the shell
// show the shell's own views, where a user can drag, copy and paste, which want OLE and not bare COM; the
// shell's opening of an address and accessibility clients want the apartment. Joined the first time one of
// them is about to run rather than at start, which would load it into every start; left once the form has
// closed. Without it each of them still runs, as it would on a system that refused it.
void JoinOle();
void LeaveOle();

// Asks the shell to open an address, a web address in the user's default browser. A browser that
// cannot be started is not the user's problem here: the result is not examined.
void OpenInShell(const wchar_t* address);

// Whether the user has turned on the system's high-contrast mode, where only the system's own colours are
// sure to show.
bool HighContrastOn();

template <class Function>
Function AsFunction(FARPROC address)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

// The function as its header declares it, calling convention included (a 32-bit call with the wrong one
// would unbalance the stack), looked up by its own name.
#define SYSTEM_FUNCTION(dll, function)                                                                       \
    AsFunction<decltype(&::function)>(SystemFunctionAddress(SystemDll::dll, #function))
#define OPTIONAL_SYSTEM_FUNCTION(dll, function)                                                              \
    AsFunction<decltype(&::function)>(OptionalSystemFunctionAddress(SystemDll::dll, #function))

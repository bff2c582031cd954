// comctl32, comdlg32, shell32, oleacc and oleaut32 are not among the system's known DLLs, so imported the
// ordinary way they would be searched for beside the program too, where a planted copy could stand in for
// them. Looked up by hand they come from the system folder only, comdlg32 and shell32 only when a command
// needs them, and oleacc and oleaut32 only when assistive technology first asks a control what it is.
// ole32 is a known DLL, but imported it would come with COM's own DLLs into every start. Plain
// LoadLibraryExW and GetProcAddress work alike for 32-bit and 64-bit programs, which the toolchain's
// delay-import libraries did not.
#include "system/SystemDll.h"

#include "res/Texts.h"
#include "system/ProgramName.h"

#include <ole2.h>
#include <shellapi.h>

#include <iterator>
#include <string>

namespace {

constexpr const wchar_t* kFileNames[] = {L"comctl32.dll", L"comdlg32.dll", L"shell32.dll",
                                         L"oleacc.dll",   L"oleaut32.dll", L"ole32.dll"};

// One thread calls these, the program's only one.
HMODULE g_loaded[std::size(kFileNames)] = {};
// Loaded by its full path, a DLL still has its own imports searched for, beside the program first unless
// the search was restricted to the system folder; searching them from the DLL's own folder instead is the
// next best thing.
DWORD g_loadFlags = LOAD_WITH_ALTERED_SEARCH_PATH;

enum class Ole { NotAsked, Joined, Refused };
Ole g_ole = Ole::NotAsked;

// Imported directly, a missing DLL would have kept the loader from starting the program at all. Here the
// call that needs it has no result to give back, so the program cannot go on: it names the file and ends
// with the load's error.
[[noreturn]] void Fail(const wchar_t* fileName, DWORD error)
{
    const std::wstring text = std::wstring(texts::kSystemFileMissing) + fileName;
    ::MessageBoxW(nullptr, text.c_str(), ExecutableBaseName().c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    ::ExitProcess(error ? error : ERROR_MOD_NOT_FOUND);
}

HMODULE Load(const wchar_t* fileName)
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    return ::LoadLibraryExW((std::wstring(folder) + L'\\' + fileName).c_str(), nullptr, g_loadFlags);
}

}  // namespace

void RestrictDllSearch(SetDefaultDllDirectoriesFunction setDefaultDllDirectories)
{
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        g_loadFlags = 0;
    ::SetDllDirectoryW(L"");
}

void RestrictDllSearch()
{
    // Looked up rather than imported, as older systems lack it.
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    RestrictDllSearch(kernel ? AsFunction<SetDefaultDllDirectoriesFunction>(
                                   ::GetProcAddress(kernel, "SetDefaultDllDirectories"))
                             : nullptr);
}

FARPROC OptionalSystemFunctionAddress(SystemDll dll, const char* name)
{
    HMODULE& module = g_loaded[static_cast<size_t>(dll)];
    if (!module)
        module = Load(kFileNames[static_cast<size_t>(dll)]);
    return module ? ::GetProcAddress(module, name) : nullptr;
}

FARPROC SystemFunctionAddress(SystemDll dll, const char* name)
{
    const FARPROC function = OptionalSystemFunctionAddress(dll, name);
    if (!function)
        Fail(kFileNames[static_cast<size_t>(dll)], ::GetLastError());
    return function;
}

void JoinOle()
{
    if (g_ole != Ole::NotAsked)
        return;
    // Already joined by someone else (S_FALSE) still counts once, to be left once.
    const auto initialize = OPTIONAL_SYSTEM_FUNCTION(Ole32, OleInitialize);
    g_ole = initialize && SUCCEEDED(initialize(nullptr)) ? Ole::Joined : Ole::Refused;
}

void LeaveOle()
{
    if (g_ole == Ole::Joined)
        OPTIONAL_SYSTEM_FUNCTION(Ole32, OleUninitialize)();
    g_ole = Ole::NotAsked;
}

bool HighContrastOn()
{
    HIGHCONTRASTW contrast{sizeof contrast, 0, nullptr};
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void OpenInShell(const wchar_t* address)
{
    JoinOle();
    SYSTEM_FUNCTION(Shell32, ShellExecuteW)(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

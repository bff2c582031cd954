// The delay-loaded system DLLs: where they are loaded from, and what happens when one cannot be.
#include "dialogs/Texts.h"
#include "win32/Win32Form.h"

#include <windows.h>
// Needs the types of <windows.h>.
#include <delayimp.h>

#include <string>
#include <string_view>

namespace {

// The names come from our own import descriptors and are plain ASCII.
std::wstring DllName(const DelayLoadInfo& info)
{
    const std::string_view name(info.szDll);
    return std::wstring(name.begin(), name.end());
}

// Loads the DLL from the system folder by its full path, so that no copy elsewhere can stand in for
// it even where the search cannot be restricted (older systems lack SetDefaultDllDirectories).
// Null leaves the load to the helper itself, whose search wWinMain has restricted where it can.
FARPROC WINAPI OnDelayLoadNotice(unsigned notice, PDelayLoadInfo info)
{
    if (notice != dliNotePreLoadLibrary)
        return nullptr;
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(folder) + L'\\' + DllName(*info);
    return reinterpret_cast<FARPROC>(::LoadLibraryExW(path.c_str(), nullptr, 0));
}

// Imported directly, a missing DLL would have kept the loader from starting the program at all.
// Delay-loaded, the first call into one that cannot be loaded, or that lacks the function called,
// names the file and ends the program with the load's error. Going on is not an option: the call has
// no result to give back.
FARPROC WINAPI OnDelayLoadFailure(unsigned notice, PDelayLoadInfo info)
{
    if (notice != dliFailLoadLib && notice != dliFailGetProc)
        return nullptr;
    const std::wstring text = std::wstring(texts::kSystemFileMissing) + DllName(*info);
    ::MessageBoxW(nullptr, text.c_str(), ExecutableBaseName().c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    ::ExitProcess(info->dwLastError ? info->dwLastError : ERROR_MOD_NOT_FOUND);
}

}  // namespace

// The helper finds the hooks by these names, declared extern "C" by <delayimp.h>. MSVC's header
// declares them read-only, MinGW's writable.
#if defined(_MSC_VER)
#define VELMORA_DELAY_HOOK const
#else
#define VELMORA_DELAY_HOOK
#endif
VELMORA_DELAY_HOOK PfnDliHook __pfnDliNotifyHook2 = OnDelayLoadNotice;
VELMORA_DELAY_HOOK PfnDliHook __pfnDliFailureHook2 = OnDelayLoadFailure;

// Stand-in browser for the tests: appends the address it is asked to open to a log file.
#include <windows.h>
#include <shellapi.h>

#include <string>

// Invoked as: url_logger.exe <log file> <address>. Each address becomes one line of UTF-16 text.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args || count < 3)
        return 2;
    const HANDLE log = ::CreateFileW(args[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    const std::wstring line = std::wstring(args[2]) + L"\n";
    DWORD written = 0;
    ::WriteFile(log, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(log);
    ::LocalFree(args);
    return 0;
}

// Stand-in browser for the tests: appends the address it is asked to open to a log file.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

// Invoked as: url_logger.exe <log file> <address>
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
    char line[4096];
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, args[2], -1, line, sizeof line - 1, nullptr, nullptr);
    DWORD written = 0;
    if (length > 0) {
        line[length - 1] = '\n';
        ::WriteFile(log, line, static_cast<DWORD>(length), &written, nullptr);
    }
    ::CloseHandle(log);
    ::LocalFree(args);
    return 0;
}

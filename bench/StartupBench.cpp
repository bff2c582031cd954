// Measures the time from process start until the form is visible and idle, for several programs in turn.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Found {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM lParam)
{
    auto& found = *reinterpret_cast<Found*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == found.processId && ::IsWindowVisible(window) && !::GetWindow(window, GW_OWNER)) {
        found.window = window;
        return FALSE;
    }
    return TRUE;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds until the program's form is visible and answers messages; negative on failure.
double TimeStart(const std::wstring& exe)
{
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER begin;
    ::QueryPerformanceCounter(&begin);
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return -1;
    ::WaitForInputIdle(process.hProcess, 30000);
    Found found{process.dwProcessId, nullptr};
    for (int i = 0; i < 30000 && !found.window; ++i) {
        ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&found));
        if (!found.window)
            ::Sleep(1);
    }
    DWORD_PTR ignored = 0;
    const bool answered =
        found.window && ::SendMessageTimeoutW(found.window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored) != 0;
    LARGE_INTEGER end;
    ::QueryPerformanceCounter(&end);

    if (found.window)
        ::PostMessageW(found.window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return answered ? Seconds(begin, end) * 1000.0 : -1;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

std::wstring BaseName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

// Usage: startup_bench <rounds> <program> <yardstick>...
// Prints each one's median and the program's ratio to each yardstick.
int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_bench <rounds> <program> <yardstick>...\n");
        return 2;
    }
    const int rounds = std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10)));
    const std::vector<std::wstring> exes(argv + 2, argv + argc);

    // One unmeasured start each warms the file cache and the Wine server.
    for (const std::wstring& exe : exes)
        TimeStart(exe);

    std::vector<std::vector<double>> times(exes.size());
    for (int round = 0; round < rounds; ++round) {
        // Rotating the order keeps any one program from always starting right after another.
        for (size_t turn = 0; turn < exes.size(); ++turn) {
            const size_t which = (turn + static_cast<size_t>(round)) % exes.size();
            const double ms = TimeStart(exes[which]);
            if (ms < 0) {
                std::fprintf(stderr, "%s did not show its window in round %d\n", Narrow(exes[which]).c_str(),
                             round);
                return 1;
            }
            times[which].push_back(ms);
        }
    }

    std::printf("rounds: %d (start until the window is visible and answers)\n", rounds);
    std::vector<double> medians;
    for (size_t i = 0; i < exes.size(); ++i) {
        medians.push_back(Median(times[i]));
        std::printf("%-14s median %7.1f ms  (min %.1f, max %.1f)\n", Narrow(BaseName(exes[i])).c_str(),
                    medians[i], *std::min_element(times[i].begin(), times[i].end()),
                    *std::max_element(times[i].begin(), times[i].end()));
    }
    for (size_t i = 1; i < exes.size(); ++i)
        std::printf("ratio %s / %s: %.3f\n", Narrow(BaseName(exes[0])).c_str(),
                    Narrow(BaseName(exes[i])).c_str(), medians[0] / medians[i]);
    return 0;
}

// Measures the time from process start until the form is visible and idle, for two programs in turn.
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
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return -1;
    ::WaitForInputIdle(process.hProcess, 30000);
    Found found{process.dwProcessId, nullptr};
    for (int i = 0; i < 30000 && !found.window; ++i) {
        ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&found));
        if (!found.window)
            ::Sleep(1);
    }
    DWORD_PTR ignored = 0;
    const bool answered = found.window && ::SendMessageTimeoutW(found.window, WM_NULL, 0, 0, SMTO_NORMAL, 30000,
                                                                &ignored) != 0;
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

}  // namespace

// Usage: startup_bench <program> <baseline> [rounds]
int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench <program> <baseline> [rounds]\n");
        return 2;
    }
    const std::wstring program = argv[1];
    const std::wstring baseline = argv[2];
    const int rounds = argc > 3 ? std::max(1, static_cast<int>(std::wcstol(argv[3], nullptr, 10))) : 21;

    // One unmeasured start each warms the file cache and the Wine server.
    TimeStart(program);
    TimeStart(baseline);

    std::vector<double> programTimes;
    std::vector<double> baselineTimes;
    for (int round = 0; round < rounds; ++round) {
        // Alternating the order keeps either program from always starting second.
        const bool programFirst = round % 2 == 0;
        for (int turn = 0; turn < 2; ++turn) {
            const bool isProgram = (turn == 0) == programFirst;
            const double ms = TimeStart(isProgram ? program : baseline);
            if (ms < 0) {
                std::fprintf(stderr, "a start failed in round %d\n", round);
                return 1;
            }
            (isProgram ? programTimes : baselineTimes).push_back(ms);
        }
    }

    const double programMedian = Median(programTimes);
    const double baselineMedian = Median(baselineTimes);
    std::printf("rounds:                 %d\n", rounds);
    std::printf("Velmora.exe median:     %.1f ms (min %.1f, max %.1f)\n", programMedian,
                *std::min_element(programTimes.begin(), programTimes.end()),
                *std::max_element(programTimes.begin(), programTimes.end()));
    std::printf("EmptyDlg.exe median:    %.1f ms (min %.1f, max %.1f)\n", baselineMedian,
                *std::min_element(baselineTimes.begin(), baselineTimes.end()),
                *std::max_element(baselineTimes.begin(), baselineTimes.end()));
    std::printf("ratio:                  %.3f (target: at most 1.10)\n", programMedian / baselineMedian);
    return 0;
}

// Measures, for several programs in turn, the time from process start until the form is visible and
// idle, the peak working set by then, and the DLLs loaded by then; and reads each file's size and code
// size. The first program is compared with every other one.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>
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

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

std::wstring BaseName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Lower-case base names of the modules loaded in the process, the program itself left out.
std::vector<std::wstring> LoadedDlls(HANDLE process)
{
    HMODULE modules[512];
    DWORD bytes = 0;
    std::vector<std::wstring> names;
    if (!::EnumProcessModules(process, modules, sizeof modules, &bytes))
        return names;
    const DWORD count = std::min<DWORD>(bytes / sizeof(HMODULE), 512);
    for (DWORD i = 1; i < count; ++i) {
        wchar_t name[MAX_PATH] = {};
        if (::GetModuleBaseNameW(process, modules[i], name, MAX_PATH)) {
            ::CharLowerW(name);
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct Start {
    double ms = -1;  // negative: the form did not come up
    double peakMiB = 0;
    std::vector<std::wstring> dlls;
};

// One start, measured once the program's form is visible and answers messages.
Start TimeStart(const std::wstring& exe)
{
    Start result;
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER begin;
    ::QueryPerformanceCounter(&begin);
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return result;
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

    if (answered) {
        result.ms = Seconds(begin, end) * 1000.0;
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        if (::GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
            result.peakMiB = static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0);
        result.dlls = LoadedDlls(process.hProcess);
    }
    if (found.window)
        ::PostMessageW(found.window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return result;
}

struct FileSizes {
    DWORD bytes = 0;
    DWORD text = 0;  // the code section's size in memory
};

FileSizes SizesOf(const std::wstring& exe)
{
    FileSizes sizes;
    const HANDLE file =
        ::CreateFileW(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return sizes;
    sizes.bytes = ::GetFileSize(file, nullptr);
    std::vector<BYTE> head(4096);
    DWORD read = 0;
    ::ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &read, nullptr);
    ::CloseHandle(file);

    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(head.data());
    if (read < sizeof *dos || dos->e_lfanew <= 0 || static_cast<DWORD>(dos->e_lfanew) + 512 > read)
        return sizes;
    // The file header and the section table lie at the same places for 32- and 64-bit images.
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(head.data() + dos->e_lfanew);
    const auto* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (reinterpret_cast<const BYTE*>(section + 1) > head.data() + read)
            break;
        if (std::strncmp(reinterpret_cast<const char*>(section->Name), ".text", IMAGE_SIZEOF_SHORT_NAME) == 0)
            sizes.text = section->Misc.VirtualSize;
    }
    return sizes;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::wstring Joined(const std::vector<std::wstring>& names)
{
    std::wstring text;
    for (const std::wstring& name : names)
        text += (text.empty() ? L"" : L" ") + name;
    return text.empty() ? L"(none)" : text;
}

std::vector<std::wstring> Without(const std::vector<std::wstring>& names,
                                  const std::vector<std::wstring>& others)
{
    std::vector<std::wstring> rest;
    std::set_difference(names.begin(), names.end(), others.begin(), others.end(), std::back_inserter(rest));
    return rest;
}

}  // namespace

// Usage: startup_bench <rounds> <program> <yardstick>...
int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_bench <rounds> <program> <yardstick>...\n");
        return 2;
    }
    const int rounds = std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10)));
    const std::vector<std::wstring> exes(argv + 2, argv + argc);

    // One unmeasured start each warms the file cache and the Wine server; it also names the DLLs.
    std::vector<std::vector<std::wstring>> dlls;
    for (const std::wstring& exe : exes)
        dlls.push_back(TimeStart(exe).dlls);

    std::vector<std::vector<double>> times(exes.size()), peaks(exes.size());
    for (int round = 0; round < rounds; ++round) {
        // Rotating the order keeps any one program from always starting right after another.
        for (size_t turn = 0; turn < exes.size(); ++turn) {
            const size_t which = (turn + static_cast<size_t>(round)) % exes.size();
            const Start start = TimeStart(exes[which]);
            if (start.ms < 0) {
                std::fprintf(stderr, "%s did not show its window in round %d\n", Narrow(exes[which]).c_str(),
                             round);
                return 1;
            }
            times[which].push_back(start.ms);
            peaks[which].push_back(start.peakMiB);
        }
    }

    std::printf(
        "%d-bit build, %d rounds; start-up: from process start until the form is visible and answers;\n"
        "peak working set and DLLs: at that moment\n",
        static_cast<int>(sizeof(void*) * 8), rounds);
    std::printf("%-14s %9s %9s %9s %10s %9s %9s %5s\n", "", "median ms", "min ms", "max ms", "peak MiB",
                "bytes", ".text", "DLLs");
    std::vector<double> medians, peakMedians;
    std::vector<FileSizes> sizes;
    for (size_t i = 0; i < exes.size(); ++i) {
        medians.push_back(Median(times[i]));
        peakMedians.push_back(Median(peaks[i]));
        sizes.push_back(SizesOf(exes[i]));
        std::printf("%-14s %9.1f %9.1f %9.1f %10.2f %9lu %9lu %5zu\n", Narrow(BaseName(exes[i])).c_str(),
                    medians[i], *std::min_element(times[i].begin(), times[i].end()),
                    *std::max_element(times[i].begin(), times[i].end()), peakMedians[i],
                    static_cast<unsigned long>(sizes[i].bytes), static_cast<unsigned long>(sizes[i].text),
                    dlls[i].size());
    }
    const std::string program = Narrow(BaseName(exes[0]));
    for (size_t i = 1; i < exes.size(); ++i) {
        const std::string other = Narrow(BaseName(exes[i]));
        // A virtual machine's starts come fast or slow in spells that outlast a round, which can move one
        // program's median from one kind of start to the other; within a round both met the same spell.
        std::vector<double> paired;
        for (int round = 0; round < rounds; ++round)
            paired.push_back(times[0][static_cast<size_t>(round)] / times[i][static_cast<size_t>(round)]);
        std::printf("%s / %s: start-up %.3f, peak working set %.3f (%+.2f MiB), bytes %.2f, .text %.2f\n",
                    program.c_str(), other.c_str(), medians[0] / medians[i], peakMedians[0] / peakMedians[i],
                    peakMedians[0] - peakMedians[i], static_cast<double>(sizes[0].bytes) / sizes[i].bytes,
                    static_cast<double>(sizes[0].text) / sizes[i].text);
        std::printf("  start-up round by round: median %.3f\n", Median(paired));
        std::printf("  DLLs only %s loads: %s\n", program.c_str(),
                    Narrow(Joined(Without(dlls[0], dlls[i]))).c_str());
        std::printf("  DLLs only %s loads: %s\n", other.c_str(),
                    Narrow(Joined(Without(dlls[i], dlls[0]))).c_str());
    }
    std::printf("DLLs %s loads at start: %s\n", program.c_str(), Narrow(Joined(dlls[0])).c_str());
    return 0;
}

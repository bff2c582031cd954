// Soak benchmark: starts the program and, driven from outside its process, repeats round after round what
// a user repeats in it: the About box opened and closed, the time filter and the source mode switched and
// back, each browse dialog opened and cancelled, Scan and the message that follows. After a warm-up and
// every hundred rounds it prints the program's working set, committed private memory, windows and object
// counts, and at the end how far each grew. Targets: no figure grows round after round, and committed
// memory ends within 1 MiB of where it stood after the warm-up. It asserts nothing.
#include "res/resource.h"
#include "tests/WinTestSupport.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kWarmUp = 10;
constexpr int kEvery = 100;

// The dialog that a posted message opens over the form, closed with its button `close` (a posted click,
// as a person's would be) or, where it has no such button, with that command; false if it did not come or
// did not go. Posted because a sent message would wait inside the dialog's modal loop.
bool OpenAndClose(DWORD thread, HWND form, HWND target, UINT message, WPARAM wParam, int close)
{
    ::PostMessageW(target, message, wParam, 0);
    const HWND dialog = WaitForDialog(thread, form);
    if (!dialog)
        return false;
    if (const HWND button = ::GetDlgItem(dialog, close))
        ::PostMessageW(button, BM_CLICK, 0, 0);
    else
        ::PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(close), 0);
    return PumpUntil([&] { return !::IsWindow(dialog); });
}

// Clicks `first`, then `back`, which should leave `first` unchecked again as the form started.
bool ClickAndBack(HWND form, int first, int back)
{
    const HWND there = ::GetDlgItem(form, first);
    ::SendMessageW(there, BM_CLICK, 0, 0);
    const bool checked = ::SendMessageW(there, BM_GETCHECK, 0, 0) == BST_CHECKED;
    ::SendMessageW(::GetDlgItem(form, back), BM_CLICK, 0, 0);
    return checked && ::SendMessageW(there, BM_GETCHECK, 0, 0) == BST_UNCHECKED;
}

// One round; the name of the step that failed, or null.
const char* Round(DWORD thread, HWND form)
{
    const auto item = [&](int id) { return ::GetDlgItem(form, id); };
    if (!OpenAndClose(thread, form, form, WM_SYSCOMMAND, IDM_ABOUTBOX, IDCANCEL))
        return "the About box";
    if (!ClickAndBack(form, IDC_TIME_FILTER, IDC_TIME_FILTER))
        return "the time filter";
    if (!ClickAndBack(form, IDC_MODE_DISK, IDC_MODE_IMAGE))
        return "the source mode";
    if (!OpenAndClose(thread, form, item(IDC_BROWSE_FILE), BM_CLICK, 0, IDCANCEL))
        return "the open-file dialog";
    if (!OpenAndClose(thread, form, item(IDC_BROWSE_FOLDER), BM_CLICK, 0, IDCANCEL))
        return "the folder browser";
    if (!OpenAndClose(thread, form, item(IDC_SCAN), BM_CLICK, 0, IDOK))
        return "Scan and its message";
    return nullptr;
}

// Counts a window and every window below it.
BOOL CALLBACK CountOne(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

struct Windows {
    DWORD processId;
    int count = 0;
};

BOOL CALLBACK CountTree(HWND window, LPARAM lParam)
{
    auto& windows = *reinterpret_cast<Windows*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == windows.processId) {
        ++windows.count;
        ::EnumChildWindows(window, CountOne, reinterpret_cast<LPARAM>(&windows.count));
    }
    return TRUE;
}

// The process's top-level and message-only windows (COM's among them), with all their descendants.
int WindowsOf(DWORD processId)
{
    Windows windows{processId};
    ::EnumWindows(CountTree, reinterpret_cast<LPARAM>(&windows));
    for (HWND window = nullptr;
         (window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr;)
        CountTree(window, reinterpret_cast<LPARAM>(&windows));
    return windows.count;
}

// Committed private memory: Wine reports PrivateUsage as 0, so the regions are summed one by one.
SIZE_T CommittedPrivate(HANDLE process)
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const BYTE* at = nullptr; ::VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
         at = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
    }
    return total;
}

// An entry of the GDI handle table Wine 8 keeps for each process, which the process environment block
// points to; an entry in use has a type, and the stock objects carry a flag in the top bit of extType.
struct WineGdiEntry {
    UINT64 object;
    ULONG owner;
    UCHAR extType, generation, type, flags;
    UINT64 userPointer;
};
static_assert(sizeof(WineGdiEntry) == 24);
constexpr UCHAR kStockFlag = 0x80;
constexpr size_t kWineGdiEntries = 0x10000;
constexpr size_t kFirstStockEntry = 32;  // the white brush, the first stock object
constexpr UCHAR kBrushType = 0x10;

// The GDI objects the process made itself, the system's stock ones left out; -1 when not readable. Only
// under Wine: on Windows the table is the session's, and GetGuiResources answers instead.
long WineGdiObjects(HANDLE process)
{
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        return -1;
    PROCESS_BASIC_INFORMATION basic{};
    if (::NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return -1;
    // Where GdiSharedHandleTable lies in the process environment block.
    const size_t offset = sizeof(void*) == 8 ? 0xF8 : 0x94;
    const BYTE* table = nullptr;
    std::vector<WineGdiEntry> entries(kWineGdiEntries);
    if (!::ReadProcessMemory(process, reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + offset, &table,
                             sizeof table, nullptr) ||
        !table ||
        !::ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(WineGdiEntry), nullptr))
        return -1;
    // Were the layout other than the one assumed, the white brush would not be where it is read.
    const WineGdiEntry& white = entries[kFirstStockEntry];
    if (white.type != kBrushType || !(white.extType & kStockFlag))
        return -1;
    return static_cast<long>(std::count_if(entries.begin(), entries.end(), [](const WineGdiEntry& entry) {
        return entry.type != 0 && !(entry.extType & kStockFlag);
    }));
}

struct Sample {
    int round = 0;
    double seconds = 0;
    double workingKiB = 0, committedKiB = 0;
    int windows = 0;
    long gdi = -1, user = -1, handles = -1;  // -1: the platform does not report it
    bool gdiFromWineTable = false;
};

// A count of 0 is never true of a process with a window: it means the platform does not report it.
long Reported(DWORD count)
{
    return count ? static_cast<long>(count) : -1;
}

Sample Measure(HANDLE process, DWORD processId, int round, double seconds)
{
    Sample sample;
    sample.round = round;
    sample.seconds = seconds;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(process, &memory, sizeof memory))
        sample.workingKiB = static_cast<double>(memory.WorkingSetSize) / 1024.0;
    sample.committedKiB = static_cast<double>(CommittedPrivate(process)) / 1024.0;
    sample.windows = WindowsOf(processId);
    sample.gdi = Reported(::GetGuiResources(process, GR_GDIOBJECTS));
    sample.user = Reported(::GetGuiResources(process, GR_USEROBJECTS));
    DWORD handles = 0;
    sample.handles = ::GetProcessHandleCount(process, &handles) ? Reported(handles) : -1;
    if (sample.gdi < 0) {
        sample.gdi = WineGdiObjects(process);
        sample.gdiFromWineTable = sample.gdi >= 0;
    }
    return sample;
}

std::string Count(long value, const char* source = "")
{
    return value < 0 ? "not available" : std::to_string(value) + source;
}

void Print(const Sample& sample)
{
    std::printf("%7d %8.1f %12.1f %14.1f %8d %18s %14s %14s\n", sample.round, sample.seconds,
                sample.workingKiB, sample.committedKiB, sample.windows,
                Count(sample.gdi, sample.gdiFromWineTable ? " (Wine table)" : "").c_str(),
                Count(sample.user).c_str(), Count(sample.handles).c_str());
    std::fflush(stdout);
}

void PrintGrowth(const Sample& from, const Sample& to)
{
    const double rounds = to.round - from.round;
    std::printf("growth from round %d to %d: working set %+.1f KiB (%+.2f KiB a round), committed private "
                "%+.1f KiB (%+.2f KiB a round), windows %+d",
                from.round, to.round, to.workingKiB - from.workingKiB,
                (to.workingKiB - from.workingKiB) / rounds, to.committedKiB - from.committedKiB,
                (to.committedKiB - from.committedKiB) / rounds, to.windows - from.windows);
    if (from.gdi >= 0 && to.gdi >= 0)
        std::printf(", GDI objects %+ld", to.gdi - from.gdi);
    std::printf("\n");
}

double SecondsSince(ULONGLONG start)
{
    return static_cast<double>(::GetTickCount64() - start) / 1000.0;
}

}  // namespace

// Usage: soak_bench [rounds] [program]   (300 rounds of Velmora.exe beside this program unless told)
int wmain(int argc, wchar_t** argv)
{
    const int rounds = argc > 1 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10))) : 300;
    const std::wstring exe = argc > 2 ? argv[2] : BuildFolder() + L"Velmora.exe";

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program{};
    if (!::CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &program)) {
        std::fprintf(stderr, "could not start the program (error %lu)\n", ::GetLastError());
        return 1;
    }
    const HWND form = WaitForDialog(program.dwThreadId, nullptr);
    const auto end = [&](int code) {
        if (form)
            ::PostMessageW(form, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(program.hProcess, 15000) != WAIT_OBJECT_0)
            ::TerminateProcess(program.hProcess, 1);
        ::CloseHandle(program.hThread);
        ::CloseHandle(program.hProcess);
        return code;
    };
    if (!form) {
        std::fprintf(stderr, "the program showed no form\n");
        return end(1);
    }

    std::printf("%d-bit build; %d warm-up rounds, then %d rounds; each round: About box, time filter, "
                "source mode, open-file dialog, folder browser, Scan and its message\n",
                static_cast<int>(sizeof(void*) * 8), kWarmUp, rounds);
    std::printf("%7s %8s %12s %14s %8s %18s %14s %14s\n", "round", "seconds", "working KiB", "committed KiB",
                "windows", "GDI objects", "USER objects", "handles");
    const ULONGLONG start = ::GetTickCount64();
    std::vector<Sample> samples;
    for (int round = -kWarmUp + 1; round <= rounds; ++round) {
        if (const char* failed = Round(program.dwThreadId, form)) {
            std::fprintf(stderr, "round %d: %s did not open or close in time\n", round, failed);
            return end(1);
        }
        if (round == 0 || round % kEvery == 0 || round == rounds) {
            samples.push_back(Measure(program.hProcess, program.dwProcessId, round, SecondsSince(start)));
            Print(samples.back());
        }
    }

    PrintGrowth(samples.front(), samples.back());
    // Whatever settles in the first hundred rounds is over by the last ones: growth there is a leak.
    if (samples.size() > 2)
        PrintGrowth(samples[samples.size() - 2], samples.back());
    std::printf("%.1f ms a round on average, warm-up included\n",
                SecondsSince(start) * 1000.0 / (rounds + kWarmUp));
    return end(0);
}

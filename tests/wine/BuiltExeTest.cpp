// What ships, in every Velmora.exe this tree can see: headers, imports, and the two dialogs as their
// templates lay them out at the dialog font.
#include "res/resource.h"
#include "tests/WinTestSupport.h"
#include "tests/wine/ResourceReader.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace {

struct Program {
    std::wstring path;
    bool is64Bit;
};

void PrintTo(const Program& program, std::ostream* out)
{
    *out << (program.is64Bit ? "x86_64" : "i686");
}

// This tree's program, and on a 64-bit tree the 32-bit one beside it: a machine that runs 64-bit programs
// only cannot run the 32-bit tree's tests, so this tree reads that program in their stead. The test
// script asks for it there; elsewhere it is read when it has been built.
std::vector<Program> Programs()
{
    std::vector<Program> programs{{BuildFolder() + L"Velmora.exe", sizeof(void*) == 8}};
    const std::wstring other = BuildFolder() + L"..\\i686\\Velmora.exe";
    if (sizeof(void*) == 8 && (::GetEnvironmentVariableW(L"VELMORA_CHECK_I686_EXE", nullptr, 0) != 0 ||
                               ::GetFileAttributesW(other.c_str()) != INVALID_FILE_ATTRIBUTES))
        programs.push_back({other, false});
    return programs;
}

// The program mapped as an image resource: its resources and headers can be read, but none of its code
// runs. That works for a 32-bit one from a 64-bit process too.
class BuiltExe : public ::testing::TestWithParam<Program> {
protected:
    void SetUp() override
    {
        exe = ::LoadLibraryExW(GetParam().path.c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(exe, nullptr) << "build the tree first";
    }
    void TearDown() override { ::FreeLibrary(exe); }

    HMODULE exe = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Each, BuiltExe, ::testing::ValuesIn(Programs()),
                         [](const auto& program) { return program.param.is64Bit ? "x86_64" : "i686"; });

TEST_P(BuiltExe, IsHardenedAndImportsOnlySystemLibraries)
{
    const IMAGE_NT_HEADERS* nt = NtHeadersOf(exe);
    ASSERT_NE(nt, nullptr);
    const bool is64Bit = GetParam().is64Bit;
    const WORD aslr = IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_NX_COMPAT |
                      (is64Bit ? IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA : 0);
    EXPECT_EQ(nt->OptionalHeader.DllCharacteristics & aslr, aslr);
    EXPECT_EQ(nt->FileHeader.Machine, is64Bit ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);

    // The system's known DLLs come from its own folder before any search, so nothing planted beside the
    // program can stand in for them. Every other DLL must be delay-loaded.
    const std::vector<std::string> known = {"advapi32.dll", "gdi32.dll", "kernel32.dll",
                                            "msvcrt.dll",   "ole32.dll", "user32.dll"};
    const std::vector<std::string> imports = ImportedDlls(exe);
    EXPECT_FALSE(imports.empty());
    for (std::string name : imports) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        EXPECT_NE(std::find(known.begin(), known.end(), name), known.end()) << name;
    }
}

INT_PTR CALLBACK TemplateOnly(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// The control each label names, whichever dialog it is on.
const std::map<std::wstring, int> kNamedBy = {{L"扫描偏移(字节):", IDC_SCAN_OFFSET},
                                              {L"扫描大小(字节):", IDC_SCAN_SIZE},
                                              {L"源设备:", IDC_SOURCE_DEVICE},
                                              {L"源文件:", IDC_SOURCE_FILE},
                                              {L"保存路径:", IDC_SAVE_PATH},
                                              {L"开始时间:", IDC_START_TIME},
                                              {L"结束时间:", IDC_END_TIME},
                                              {L"官网:", IDC_HOME_LINK},
                                              {L"软件站:", IDC_SOFT_LINK}};

TEST_P(BuiltExe, DialogsShowEveryTextWholeEachLabelBesideTheControlItNamesAndEveryControlInside)
{
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_DATE_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&classes);
    for (int id : {IDD_VELMORA_DIALOG, IDD_ABOUTBOX}) {
        SCOPED_TRACE(::testing::Message() << "dialog " << id);
        const HWND dialog = ::CreateDialogParamW(exe, MAKEINTRESOURCEW(id), nullptr, TemplateOnly, 0);
        ASSERT_NE(dialog, nullptr);
        RECT client{}, beside{0, 0, 20, 0};
        ::GetClientRect(dialog, &client);
        ::MapDialogRect(dialog, &beside);
        std::map<int, RECT> numbered;  // in the dialog's client coordinates
        std::vector<std::pair<std::wstring, RECT>> labels;
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            RECT area{};
            ::GetWindowRect(child, &area);
            ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
            const int number = ::GetDlgCtrlID(child);
            SCOPED_TRACE(::testing::Message()
                         << "control " << number << " at " << area.left << "," << area.top);
            EXPECT_TRUE(area.left >= 0 && area.top >= 0 && area.right <= client.right &&
                        area.bottom <= client.bottom);
            EXPECT_TRUE(number == -1 || numbered.emplace(number, area).second) << "number taken";
            wchar_t text[256] = {}, kind[16] = {};
            ::GetClassNameW(child, kind, 16);
            const bool isStatic = _wcsicmp(kind, L"Static") == 0;
            if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP ||
                !::GetWindowTextW(child, text, 256))
                continue;
            if (isStatic && number == -1)
                labels.emplace_back(text, area);
            // A text beside a check mark, inside a frame or on a button needs about a line's height more.
            const HDC dc = ::GetDC(child);
            const HGDIOBJ previous =
                ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)));
            RECT needed{};
            ::DrawTextW(dc, text, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
            ::SelectObject(dc, previous);
            ::ReleaseDC(child, dc);
            EXPECT_LE(needed.right + (isStatic ? 0 : needed.bottom), area.right - area.left) << "clipped";
            EXPECT_LE(needed.bottom, area.bottom - area.top) << "clipped";
        }
        for (const auto& [text, area] : labels) {
            const auto named = kNamedBy.find(text);
            ASSERT_NE(named, kNamedBy.end()) << "a label that names nothing known";
            const RECT& other = numbered[named->second];
            const LONG middle = (area.top + area.bottom) / 2;
            EXPECT_TRUE(other.top <= middle && middle <= other.bottom)
                << "not in the row of " << named->second;
            EXPECT_TRUE(area.right <= other.left && other.left - area.right <= beside.right)
                << "not beside " << named->second;
        }
        ::DestroyWindow(dialog);
    }
}

}  // namespace

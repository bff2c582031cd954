// What ships, in every Velmora.exe this tree can see: headers, imports and resources.
#include "res/resource.h"
#include "tests/WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace {

// The program mapped as an image resource: its resources and headers can be read, but none of its code
// runs. That works for a 32-bit one from a 64-bit process too.
HMODULE MapProgram(bool is64Bit)
{
    const std::wstring tree = is64Bit == (sizeof(void*) == 8) ? L"" : L"..\\i686\\";
    return ::LoadLibraryExW((BuildFolder() + tree + L"Velmora.exe").c_str(), nullptr,
                            LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

// The system's known DLLs come from its own folder before any search, so nothing planted beside the program
// can stand in for them; every other DLL must be loaded by hand from the system folder.
// And every slot the code calls or jumps through leads somewhere once the program runs: the loader fills it
// from a named function of an imported DLL, or it holds an address in the program's own code already. A
// toolchain's 32-bit delay-import library once left such slots 0, and the program's first call went to 0.
// Headers and Pointer are those of the program's word size, whichever this process has.
template <class Headers, class Pointer>
void ExpectHardenedWithKnownImportsAndLiveSlots(HMODULE exe)
{
    ASSERT_NE(exe, nullptr) << "build the tree first";
    // Mapped as an image resource, its sections lie at their addresses, but nothing is relocated, bound or
    // run. The loader marks such a mapping in the low bits of the handle.
    const auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(exe) & ~ULONG_PTR{3});
    const auto at = [base](ULONGLONG rva) { return base + rva; };
    const auto& nt =
        *reinterpret_cast<const Headers*>(at(reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew));
    const auto pointerAt = [&](ULONGLONG rva) { return *reinterpret_cast<const Pointer*>(at(rva)); };
    // The section that holds the bytes from rva on, if one does, and whether it holds code.
    const auto sectionOf = [&](ULONGLONG rva, ULONGLONG bytes = 1) -> const IMAGE_SECTION_HEADER* {
        const auto* section = IMAGE_FIRST_SECTION(&nt);
        for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i, ++section)
            if (rva >= section->VirtualAddress &&
                rva + bytes <= section->VirtualAddress + section->Misc.VirtualSize)
                return section;
        return nullptr;
    };
    const auto inCode = [&](ULONGLONG rva, ULONGLONG bytes = 1) {
        const IMAGE_SECTION_HEADER* section = sectionOf(rva, bytes);
        return section && (section->Characteristics & IMAGE_SCN_MEM_EXECUTE);
    };
    const bool is64Bit = sizeof(Pointer) == 8;
    EXPECT_EQ(nt.FileHeader.Machine, is64Bit ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
    // Without the terminal-server mark a Remote Desktop host applies the shims it keeps for old programs.
    const WORD marks = IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_NX_COMPAT |
                       IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE |
                       (is64Bit ? IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA : 0);
    EXPECT_EQ(nt.OptionalHeader.DllCharacteristics & marks, marks);

    const std::string known = " advapi32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll user32.dll ";
    std::set<ULONGLONG> filledByLoader;
    const DWORD table = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    ASSERT_NE(table, 0u);
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(table)); entry->Name; ++entry) {
        std::string dll = " " + std::string(reinterpret_cast<const char*>(at(entry->Name))) + " ";
        ::CharLowerA(dll.data());
        EXPECT_NE(known.find(dll), std::string::npos) << dll;
        // The loader fills each slot from the name list, up to its terminating 0.
        const DWORD names = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
        for (DWORD i = 0; const Pointer name = pointerAt(names + i * sizeof(Pointer)); ++i) {
            const bool byOrdinal = name >> (sizeof(Pointer) * 8 - 1);
            EXPECT_TRUE(byOrdinal || (sectionOf(name + 2) && *at(name + 2))) << dll << i;
            filledByLoader.insert(entry->FirstThunk + i * sizeof(Pointer));
        }
    }

    const ULONGLONG preferred = nt.OptionalHeader.ImageBase;
    int calls = 0;
    for (DWORD here = 0; here + 6 <= nt.OptionalHeader.SizeOfImage; ++here) {
        // call or jmp through a slot, from code: FF 15 or FF 25, then the slot's 32-bit address, or on x86_64
        // its distance from the instruction's end.
        const BYTE* bytes = at(here);
        if (!inCode(here, 6) || bytes[0] != 0xFF || (bytes[1] != 0x15 && bytes[1] != 0x25))
            continue;
        const auto operand = *reinterpret_cast<const std::int32_t*>(bytes + 2);
        const ULONGLONG slot =
            is64Bit ? ULONGLONG{here} + 6 + operand : static_cast<std::uint32_t>(operand) - preferred;
        // Bytes that only look like such an instruction rarely name a slot inside the program.
        if (!sectionOf(slot, sizeof(Pointer)))
            continue;
        ++calls;
        if (filledByLoader.count(slot))
            continue;
        EXPECT_TRUE(inCode(pointerAt(slot) - preferred))
            << "the code at " << std::hex << here << " goes through the slot at " << slot
            << ", which neither the loader fills nor leads into the program's code";
    }
    EXPECT_GT(calls, 100) << "calls through import slots were not recognised";
    ::FreeLibrary(exe);
}

class BuiltExe : public ::testing::TestWithParam<bool> {};

// This tree's program, and on a 64-bit tree the 32-bit one beside it, which a machine that runs 64-bit
// programs only can check from here alone.
INSTANTIATE_TEST_SUITE_P(Each, BuiltExe,
                         ::testing::ValuesIn(sizeof(void*) == 8 ? std::vector{true, false}
                                                                : std::vector{false}),
                         [](const auto& program) { return program.param ? "x86_64" : "i686"; });

TEST_P(BuiltExe, IsHardenedImportsOnlyKnownDllsAndCallsOnlyThroughSlotsThatLeadSomewhere)
{
    if (GetParam())
        ExpectHardenedWithKnownImportsAndLiveSlots<IMAGE_NT_HEADERS64, ULONGLONG>(MapProgram(true));
    else
        ExpectHardenedWithKnownImportsAndLiveSlots<IMAGE_NT_HEADERS32, DWORD>(MapProgram(false));
}

#ifdef _WIN64
std::string ResourceOf(HMODULE module, LPCWSTR type, int id)
{
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    const auto* data = found ? static_cast<const char*>(::LockResource(::LoadResource(module, found))) : "";
    std::string bytes(data, found ? ::SizeofResource(module, found) : 0);
    // The one difference the two builds must have: each manifest names its own processor.
    if (const size_t at = bytes.find("\"amd64\""); type == RT_MANIFEST && at != std::string::npos)
        bytes.replace(at, 7, "\"x86\"");
    return bytes;
}

// Both builds compile one resource script, so the 32-bit program, whose own tree may not run here, must
// carry what this tree's program does, whose dialogs the start-up tests lay out; and both carry every
// resource they load. Only the 64-bit tree can read both.
TEST(BuiltExes, CarryTheSameDialogsStringVersionAndManifest)
{
    const HMODULE own = MapProgram(true), other = MapProgram(false);
    ASSERT_TRUE(own && other) << "build both trees first";
    const std::pair<LPCWSTR, int> resources[] = {{RT_DIALOG, IDD_VELMORA_DIALOG},
                                                 {RT_DIALOG, IDD_ABOUTBOX},
                                                 {RT_STRING, IDS_ABOUTBOX / 16 + 1},
                                                 {RT_VERSION, 1},
                                                 {RT_MANIFEST, 1}};
    for (const auto& [type, id] : resources) {
        EXPECT_FALSE(ResourceOf(own, type, id).empty()) << id;
        EXPECT_EQ(ResourceOf(other, type, id), ResourceOf(own, type, id)) << id;
    }
    ::FreeLibrary(own);
    ::FreeLibrary(other);
}
#endif

}  // namespace

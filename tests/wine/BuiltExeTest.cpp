// What ships, in every Velmora.exe this tree can see: headers, imports and resources.
#include "res/resource.h"
#include "tests/WinTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::wstring ProgramPath(bool is64Bit)
{
    return BuildFolder() + (is64Bit == (sizeof(void*) == 8) ? L"" : L"..\\i686\\") + L"Velmora.exe";
}

// This tree's program, and on a 64-bit tree the 32-bit one beside it: a machine that runs 64-bit programs
// only cannot run the 32-bit tree's tests, so this tree reads that program in their stead. The test
// script asks for it there; elsewhere it is read when it has been built.
std::vector<bool> Programs()
{
    std::vector<bool> is64Bit{sizeof(void*) == 8};
    if (is64Bit[0] && (::GetEnvironmentVariableW(L"VELMORA_CHECK_I686_EXE", nullptr, 0) != 0 ||
                       ::GetFileAttributesW(ProgramPath(false).c_str()) != INVALID_FILE_ATTRIBUTES))
        is64Bit.push_back(false);
    return is64Bit;
}

// The program mapped as an image resource: its resources and headers can be read, but none of its code
// runs. That works for a 32-bit one from a 64-bit process too.
HMODULE MapProgram(bool is64Bit)
{
    return ::LoadLibraryExW(ProgramPath(is64Bit).c_str(), nullptr,
                            LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

class BuiltExe : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        exe = MapProgram(GetParam());
        ASSERT_NE(exe, nullptr) << "build the tree first";
    }
    void TearDown() override { ::FreeLibrary(exe); }

    HMODULE exe = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Each, BuiltExe, ::testing::ValuesIn(Programs()),
                         [](const auto& program) { return program.param ? "x86_64" : "i686"; });

TEST_P(BuiltExe, IsHardenedAndImportsOnlyKnownDlls)
{
    // Mapped as an image, every address inside is an offset from its base, which the loader marks in the
    // low bits of the handle.
    const auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(exe) & ~ULONG_PTR{3});
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    const bool is64Bit = GetParam();
    EXPECT_EQ(nt->FileHeader.Machine, is64Bit ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
    const WORD aslr = IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_NX_COMPAT |
                      (is64Bit ? IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA : 0);
    EXPECT_EQ(nt->OptionalHeader.DllCharacteristics & aslr, aslr);

    // The system's known DLLs come from its own folder before any search, so nothing planted beside the
    // program can stand in for them. Every other DLL must be delay-loaded. A 32-bit image read from a
    // 64-bit process has the shorter optional header of its own kind.
    const std::string known = " advapi32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll user32.dll ";
    const DWORD table = (is64Bit ? nt->OptionalHeader.DataDirectory
                                 : reinterpret_cast<const IMAGE_NT_HEADERS32*>(nt)
                                       ->OptionalHeader.DataDirectory)[IMAGE_DIRECTORY_ENTRY_IMPORT]
                            .VirtualAddress;
    ASSERT_NE(table, 0u);
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + table); entry->Name; ++entry) {
        std::string name = " " + std::string(reinterpret_cast<const char*>(base + entry->Name)) + " ";
        ::CharLowerA(name.data());
        EXPECT_NE(known.find(name), std::string::npos) << name;
    }
}

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
// carry what this tree's program does, whose dialogs the start-up tests lay out; and each carries every
// resource it loads.
TEST_P(BuiltExe, CarriesTheDialogsStringVersionAndManifestOfThisTreesProgram)
{
    const HMODULE own = MapProgram(sizeof(void*) == 8);
    const std::pair<LPCWSTR, int> resources[] = {{RT_DIALOG, IDD_VELMORA_DIALOG},
                                                 {RT_DIALOG, IDD_ABOUTBOX},
                                                 {RT_STRING, IDS_ABOUTBOX / 16 + 1},
                                                 {RT_VERSION, 1},
                                                 {RT_MANIFEST, 1}};
    for (const auto& [type, id] : resources) {
        EXPECT_FALSE(ResourceOf(exe, type, id).empty()) << id;
        EXPECT_EQ(ResourceOf(exe, type, id), ResourceOf(own, type, id)) << id;
    }
    ::FreeLibrary(own);
}

}  // namespace

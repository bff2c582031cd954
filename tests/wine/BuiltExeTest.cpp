// What ships: the built executable's headers, imports, version block, images and manifest.
#include "res/resource.h"
#include "tests/wine/ResourceReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <tuple>

namespace {

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list)
{
    reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
    return TRUE;
}

BOOL CALLBACK CollectNumber(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list)
{
    reinterpret_cast<std::vector<int>*>(list)->push_back(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// An executable mapped as an image resource: its resources and headers can be read, but none of its
// code runs. That works for a 32-bit one from a 64-bit process too.
HMODULE MapImage(const std::wstring& path)
{
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

std::string ResourceOf(HMODULE module, LPCWSTR type, LPCWSTR name)
{
    const HRSRC found = ::FindResourceW(module, name, type);
    const auto* data = found ? static_cast<const char*>(::LockResource(::LoadResource(module, found))) : "";
    return std::string(data, found ? ::SizeofResource(module, found) : 0);
}

// A machine that runs only 64-bit programs cannot run the 32-bit tree's tests, so the 64-bit tree reads
// the 32-bit program in their stead when the test script asks it to.
bool AlsoCheck32BitExe()
{
    return sizeof(void*) == 8 && ::GetEnvironmentVariableW(L"VELMORA_CHECK_I686_EXE", nullptr, 0) != 0;
}

std::wstring Path32() { return BuildFolder() + L"..\\i686\\Velmora.exe"; }

void ExpectHardenedWithSystemImports(HMODULE module, bool is64Bit)
{
    const IMAGE_NT_HEADERS* nt = NtHeadersOf(module);
    ASSERT_NE(nt, nullptr);
    const WORD aslr = IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_NX_COMPAT |
                      (is64Bit ? IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA : 0);
    EXPECT_EQ(nt->OptionalHeader.DllCharacteristics & aslr, aslr);
    EXPECT_EQ(nt->FileHeader.Machine, is64Bit ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);

    const std::vector<std::string> system = {"advapi32.dll", "comctl32.dll", "comdlg32.dll",
                                             "gdi32.dll",    "kernel32.dll", "msvcrt.dll",
                                             "ole32.dll",    "shell32.dll",  "user32.dll"};
    const std::vector<std::string> imports = ImportedDlls(module);
    EXPECT_FALSE(imports.empty());
    for (std::string name : imports) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        EXPECT_NE(std::find(system.begin(), system.end(), name), system.end()) << name;
    }
}

// The shipped executable of this tree.
class BuiltExe : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_module = MapImage(Path()); }
    static void TearDownTestSuite() { ::FreeLibrary(s_module); }

    static std::wstring Path() { return BuildFolder() + L"Velmora.exe"; }
    static std::string Resource(LPCWSTR type, int id) { return ResourceOf(s_module, type, MAKEINTRESOURCEW(id)); }

    static HMODULE s_module;
};

HMODULE BuiltExe::s_module = nullptr;

TEST_F(BuiltExe, IsHardenedAndImportsOnlySystemLibraries)
{
    ExpectHardenedWithSystemImports(s_module, sizeof(void*) == 8);
}

// Both builds compile the same resource script, so a 32-bit program whose resources equal this one's
// (the manifest's processor aside) passes every resource check made here.
TEST_F(BuiltExe, The32BitProgramIsHardenedAndCarriesTheSameResources)
{
    if (!AlsoCheck32BitExe())
        GTEST_SKIP() << "the 32-bit tree checks its own program";
    const HMODULE other = MapImage(Path32());
    ASSERT_NE(other, nullptr) << "build the i686 tree first";
    ExpectHardenedWithSystemImports(other, false);

    const std::pair<LPCWSTR, std::vector<int>> resources[] = {
        {RT_DIALOG, {IDD_VELMORA_DIALOG, IDD_ABOUTBOX}}, {RT_GROUP_ICON, {IDI_MAINFRAME}},
        {RT_BITMAP, {IDB_BANNER, IDB_LOGO}},            {RT_STRING, {IDS_ABOUTBOX / 16 + 1}},
        {RT_VERSION, {VS_VERSION_INFO}},                {RT_MANIFEST, {1}}};
    for (const auto& [type, ids] : resources) {
        for (int id : ids) {
            std::string mine = Resource(type, id);
            const std::string theirs = ResourceOf(other, type, MAKEINTRESOURCEW(id));
            const size_t processor = mine.find("\"amd64\"");
            if (type == RT_MANIFEST && processor != std::string::npos)
                mine.replace(processor, 7, "\"x86\"");
            EXPECT_FALSE(theirs.empty()) << id;
            EXPECT_EQ(mine, theirs) << id;
        }
    }
    // The icon images the group points at.
    std::vector<int> icons;
    ::EnumResourceNamesW(s_module, RT_ICON, CollectNumber, reinterpret_cast<LONG_PTR>(&icons));
    for (int id : icons)
        EXPECT_EQ(Resource(RT_ICON, id), ResourceOf(other, RT_ICON, MAKEINTRESOURCEW(id))) << "icon " << id;
    ::FreeLibrary(other);
}

TEST_F(BuiltExe, CarriesTheVersionBlock)
{
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(Path().c_str(), nullptr));
    ASSERT_TRUE(::GetFileVersionInfoW(Path().c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    const auto value = [&](const std::wstring& path) -> const void* {
        void* found = nullptr;
        UINT length = 0;
        return ::VerQueryValueW(block.data(), path.c_str(), &found, &length) && length ? found : nullptr;
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value(L"\\"));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ((std::vector<DWORD>{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                  fixed->dwProductVersionLS, fixed->dwFileOS, fixed->dwFileType}),
              (std::vector<DWORD>{0x10000, 1, 0x10000, 1, VOS__WINDOWS32, VFT_APP}));
    const auto* translation = static_cast<const WORD*>(value(L"\\VarFileInfo\\Translation"));
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1252);

    const auto text = [&](const wchar_t* name) {
        const auto* found =
            static_cast<const wchar_t*>(value(std::wstring(L"\\StringFileInfo\\040904e4\\") + name));
        return std::wstring(found ? found : L"<missing>");
    };
    EXPECT_EQ(text(L"FileVersion"), L"1.6.0.0");
    EXPECT_EQ(text(L"ProductVersion"), L"1.6.0.0");
    EXPECT_EQ(text(L"InternalName"), L"Velmora.exe");
    EXPECT_EQ(text(L"OriginalFilename"), L"Velmora.exe");
    for (const wchar_t* maker : {L"CompanyName", L"LegalCopyright", L"ProductName"})
        EXPECT_NE(text(maker).find(L"Morvane"), std::wstring::npos) << maker;
    EXPECT_NE(text(L"FileDescription").find(L"surveillance recovery software"), std::wstring::npos);
}

TEST_F(BuiltExe, CarriesTheIconAndBothPictures)
{
    const std::string group = Resource(RT_GROUP_ICON, IDI_MAINFRAME);
    ASSERT_GE(group.size(), 6u + 4 * 14);
    const auto* directory = reinterpret_cast<const BYTE*>(group.data());
    ASSERT_EQ(directory[4], 4);
    const int sizes[] = {128, 48, 32, 16};
    for (int i = 0; i < 4; ++i) {
        const BYTE* entry = directory + 6 + 14 * i;
        EXPECT_EQ(entry[0], sizes[i]);
        EXPECT_EQ(entry[1], sizes[i]);
        EXPECT_EQ(entry[6] | (entry[7] << 8), 32) << "bits of the " << sizes[i] << " image";
    }

    const struct {
        int id;
        LONG width, height;
    } pictures[] = {{IDB_BANNER, 585, 71}, {IDB_LOGO, 92, 48}};
    for (const auto& picture : pictures) {
        const std::string bitmap = Resource(RT_BITMAP, picture.id);
        ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header;
        std::memcpy(&header, bitmap.data(), sizeof header);
        EXPECT_EQ(header.biWidth, picture.width);
        EXPECT_EQ(header.biHeight, picture.height);
        EXPECT_EQ(header.biBitCount, 24);
    }
}

TEST_F(BuiltExe, KeepsEachResourceInItsLanguageAndOneString)
{
    const WORD chinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    const std::tuple<LPCWSTR, int, WORD> expected[] = {
        {RT_DIALOG, IDD_VELMORA_DIALOG, chinese}, {RT_DIALOG, IDD_ABOUTBOX, chinese},
        {RT_GROUP_ICON, IDI_MAINFRAME, chinese},  {RT_BITMAP, IDB_BANNER, chinese},
        {RT_BITMAP, IDB_LOGO, chinese},           {RT_STRING, IDS_ABOUTBOX / 16 + 1, chinese},
        {RT_MANIFEST, 1, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}};
    for (const auto& [type, id, language] : expected) {
        std::vector<WORD> languages;
        ::EnumResourceLanguagesW(s_module, type, MAKEINTRESOURCEW(id), CollectLanguage,
                                 reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, std::vector<WORD>{language}) << id;
    }

    // Strings are stored in blocks of sixteen; the About entry's is the only block and holds nothing else.
    for (UINT id = IDS_ABOUTBOX / 16 * 16; id < IDS_ABOUTBOX / 16 * 16 + 16; ++id) {
        wchar_t text[64] = {};
        ::LoadStringW(s_module, id, text, 64);
        EXPECT_STREQ(text, id == IDS_ABOUTBOX ? L"&关于Velmora..." : L"") << id;
    }
    std::vector<int> blocks;
    ::EnumResourceNamesW(s_module, RT_STRING, CollectNumber, reinterpret_cast<LONG_PTR>(&blocks));
    EXPECT_EQ(blocks, std::vector<int>{IDS_ABOUTBOX / 16 + 1});
}

TEST_F(BuiltExe, ManifestAsksForNoThemeNoElevationAndNoRuntimeAssembly)
{
    const std::string manifest = Resource(RT_MANIFEST, 1);
    ASSERT_FALSE(manifest.empty());
    const char* architecture =
        sizeof(void*) == 8 ? "processorArchitecture=\"amd64\"" : "processorArchitecture=\"x86\"";
    EXPECT_NE(manifest.find(architecture), std::string::npos);
    for (const char* absent : {"Common-Controls", "requestedExecutionLevel", "dependency", "VC80", "MFC"})
        EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
}

}  // namespace

// Reads the program's resources and executable headers the way the loader sees them.
#include "tests/wine/ResourceReader.h"

#include <cstring>

namespace {

// Reads the fields of a resource one after another; past its end it reads zeros, and the caller
// sees the overrun in the position.
struct CReader {
    const BYTE* at;
    const BYTE* end;

    template <class T>
    T Read()
    {
        T value{};
        if (at + sizeof(T) <= end)
            std::memcpy(&value, at, sizeof(T));
        at += sizeof(T);
        return value;
    }

    std::wstring Text()
    {
        std::wstring text;
        for (WORD c; at < end && (c = Read<WORD>()) != 0;)
            text.push_back(static_cast<wchar_t>(c));
        return text;
    }

    // A name, or after 0xFFFF a number, which comes back as "#number".
    std::wstring NameOrNumber()
    {
        if (at + 2 > end || at[0] != 0xFF || at[1] != 0xFF)
            return Text();
        at += 2;
        return L"#" + std::to_wstring(Read<WORD>());
    }
};

// The predefined control classes are stored as the numbers 0x80 to 0x85.
std::wstring ClassName(const std::wstring& raw)
{
    static const wchar_t* const kNames[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
    for (int i = 0; i < 6; ++i) {
        if (raw == L"#" + std::to_wstring(0x80 + i))
            return kNames[i];
    }
    return raw;
}

}  // namespace

bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate& result)
{
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    const auto* start = found ? static_cast<const BYTE*>(::LockResource(::LoadResource(module, found))) : nullptr;
    if (!start)
        return false;
    CReader in{start, start + ::SizeofResource(module, found)};
    if (in.Read<WORD>() != 1 || in.Read<WORD>() != 0xFFFF)
        return false;
    in.Read<DWORD>();  // help id
    result.exStyle = in.Read<DWORD>();
    result.style = in.Read<DWORD>();
    const WORD count = in.Read<WORD>();
    result.x = in.Read<short>();
    result.y = in.Read<short>();
    result.cx = in.Read<short>();
    result.cy = in.Read<short>();
    in.NameOrNumber();  // menu
    in.NameOrNumber();  // window class
    result.caption = in.Text();
    result.pointSize = in.Read<WORD>();
    in.Read<DWORD>();  // weight, italic flag, character set
    result.typeface = in.Text();

    result.items.clear();
    for (WORD i = 0; i < count; ++i) {
        in.at = start + (in.at - start + 3) / 4 * 4;
        TemplateItem item{};
        in.Read<DWORD>();  // help id
        item.exStyle = in.Read<DWORD>();
        item.style = in.Read<DWORD>();
        item.x = in.Read<short>();
        item.y = in.Read<short>();
        item.cx = in.Read<short>();
        item.cy = in.Read<short>();
        item.id = static_cast<int>(in.Read<DWORD>());
        item.className = ClassName(in.NameOrNumber());
        item.text = in.NameOrNumber();
        in.at += in.Read<WORD>();  // creation data
        result.items.push_back(item);
    }
    return in.at <= in.end;
}

const IMAGE_NT_HEADERS* NtHeadersOf(HMODULE image)
{
    // The loader marks a module loaded as a resource in the low bits of its handle.
    const auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(image) & ~ULONG_PTR{3});
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (!base || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->Signature == IMAGE_NT_SIGNATURE ? nt : nullptr;
}

std::vector<std::string> ImportedDlls(HMODULE image)
{
    std::vector<std::string> names;
    const IMAGE_NT_HEADERS* nt = NtHeadersOf(image);
    if (!nt)
        return names;
    const auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(image) & ~ULONG_PTR{3});
    // A 32-bit image read from a 64-bit process has the shorter optional header of its own kind.
    const auto* nt32 = reinterpret_cast<const IMAGE_NT_HEADERS32*>(nt);
    const DWORD table = (nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC
                             ? nt32->OptionalHeader.DataDirectory
                             : nt->OptionalHeader.DataDirectory)[IMAGE_DIRECTORY_ENTRY_IMPORT]
                            .VirtualAddress;
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + table); table && entry->Name;
         ++entry)
        names.emplace_back(reinterpret_cast<const char*>(base + entry->Name));
    return names;
}

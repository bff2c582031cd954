// Reads the program's resources and executable headers the way the loader sees them.
#include "tests/wine/ResourceReader.h"

#include <cstring>

namespace {

class CCursor {
public:
    CCursor(const BYTE* data, size_t size) : m_data(data), m_end(data + size) {}

    template <class T>
    T Read()
    {
        T value{};
        if (m_data + sizeof(T) <= m_end)
            std::memcpy(&value, m_data, sizeof(T));
        m_data += sizeof(T);
        return value;
    }

    std::wstring String()
    {
        std::wstring text;
        for (WORD c = Read<WORD>(); c != 0 && m_data <= m_end; c = Read<WORD>())
            text.push_back(static_cast<wchar_t>(c));
        return text;
    }

    // A name or a number: 0xFFFF announces a number.
    std::wstring NameOrNumber()
    {
        const WORD first = Read<WORD>();
        if (first == 0)
            return {};
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Read<WORD>());
        m_data -= sizeof(WORD);
        return String();
    }

    void AlignTo(size_t boundary, const BYTE* start)
    {
        const size_t offset = static_cast<size_t>(m_data - start);
        m_data += (boundary - offset % boundary) % boundary;
    }

    void Skip(size_t bytes) { m_data += bytes; }
    bool Overran() const { return m_data > m_end; }

private:
    const BYTE* m_data;
    const BYTE* m_end;
};

std::wstring ClassName(const std::wstring& raw)
{
    static const struct {
        const wchar_t* number;
        const wchar_t* name;
    } kAtoms[] = {{L"#128", L"Button"},  {L"#129", L"Edit"},      {L"#130", L"Static"},
                  {L"#131", L"ListBox"}, {L"#132", L"ScrollBar"}, {L"#133", L"ComboBox"}};
    for (const auto& atom : kAtoms) {
        if (raw == atom.number)
            return atom.name;
    }
    return raw;
}

}  // namespace

std::wstring TestFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder;
}

bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate& result)
{
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    if (!loaded)
        return false;
    const auto* start = static_cast<const BYTE*>(::LockResource(loaded));
    CCursor cursor(start, ::SizeofResource(module, found));

    if (cursor.Read<WORD>() != 1 || cursor.Read<WORD>() != 0xFFFF)
        return false;
    cursor.Read<DWORD>();  // help id
    result.exStyle = cursor.Read<DWORD>();
    result.style = cursor.Read<DWORD>();
    const WORD count = cursor.Read<WORD>();
    result.x = cursor.Read<short>();
    result.y = cursor.Read<short>();
    result.cx = cursor.Read<short>();
    result.cy = cursor.Read<short>();
    cursor.NameOrNumber();  // menu
    cursor.NameOrNumber();  // class
    result.caption = cursor.String();
    result.pointSize = cursor.Read<WORD>();
    cursor.Skip(4);  // weight, italic, character set
    result.typeface = cursor.String();

    result.items.clear();
    for (WORD i = 0; i < count; ++i) {
        cursor.AlignTo(4, start);
        TemplateItem item{};
        cursor.Read<DWORD>();  // help id
        item.exStyle = cursor.Read<DWORD>();
        item.style = cursor.Read<DWORD>();
        item.x = cursor.Read<short>();
        item.y = cursor.Read<short>();
        item.cx = cursor.Read<short>();
        item.cy = cursor.Read<short>();
        item.id = static_cast<int>(cursor.Read<DWORD>());
        item.className = ClassName(cursor.NameOrNumber());
        item.text = cursor.NameOrNumber();
        cursor.Skip(cursor.Read<WORD>());
        result.items.push_back(item);
    }
    return !cursor.Overran();
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
    const DWORD table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + table); table && entry->Name;
         ++entry)
        names.emplace_back(reinterpret_cast<const char*>(base + entry->Name));
    return names;
}

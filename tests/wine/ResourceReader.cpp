// Reads the program's resources and executable headers the way the loader sees them.
#include "tests/wine/ResourceReader.h"

#include <cstring>
#include <fstream>
#include <iterator>

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
    } kAtoms[] = {{L"#128", L"Button"}, {L"#129", L"Edit"},      {L"#130", L"Static"},
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
    result.weight = cursor.Read<WORD>();
    result.italic = cursor.Read<BYTE>();
    result.charset = cursor.Read<BYTE>();
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

bool ReadPeFacts(const std::wstring& path, PeFacts& result)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.size() < sizeof(IMAGE_DOS_HEADER))
        return false;
    const auto* base = reinterpret_cast<const BYTE*>(bytes.data());
    IMAGE_DOS_HEADER dos;
    std::memcpy(&dos, base, sizeof dos);
    const size_t nt = static_cast<size_t>(dos.e_lfanew);
    if (nt + sizeof(IMAGE_NT_HEADERS64) > bytes.size())
        return false;

    IMAGE_FILE_HEADER header;
    std::memcpy(&header, base + nt + sizeof(DWORD), sizeof header);
    const size_t optional = nt + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
    WORD magic = 0;
    std::memcpy(&magic, base + optional, sizeof magic);
    IMAGE_DATA_DIRECTORY imports{};
    if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        IMAGE_OPTIONAL_HEADER64 opt;
        std::memcpy(&opt, base + optional, sizeof opt);
        result.dllCharacteristics = opt.DllCharacteristics;
        imports = opt.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    } else {
        IMAGE_OPTIONAL_HEADER32 opt;
        std::memcpy(&opt, base + optional, sizeof opt);
        result.dllCharacteristics = opt.DllCharacteristics;
        imports = opt.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    }
    result.machine = header.Machine;

    std::vector<IMAGE_SECTION_HEADER> sections(header.NumberOfSections);
    std::memcpy(sections.data(), base + optional + header.SizeOfOptionalHeader,
                sections.size() * sizeof(IMAGE_SECTION_HEADER));
    const auto fileOffset = [&](DWORD rva) -> size_t {
        for (const IMAGE_SECTION_HEADER& section : sections) {
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData)
                return rva - section.VirtualAddress + section.PointerToRawData;
        }
        return bytes.size();
    };

    result.imports.clear();
    for (size_t at = fileOffset(imports.VirtualAddress); at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= bytes.size();
         at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        IMAGE_IMPORT_DESCRIPTOR descriptor;
        std::memcpy(&descriptor, base + at, sizeof descriptor);
        if (descriptor.Name == 0)
            break;
        const size_t name = fileOffset(descriptor.Name);
        if (name >= bytes.size())
            return false;
        result.imports.emplace_back(reinterpret_cast<const char*>(base + name));
    }
    return true;
}

// Reads an executable's headers the way the loader sees them.
#include "tests/wine/ResourceReader.h"

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

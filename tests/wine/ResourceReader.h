// Reads an executable's headers the way the loader sees them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The headers of a module loaded with LOAD_LIBRARY_AS_IMAGE_RESOURCE. That maps it as an image, so
// every address inside it is an offset from its base.
const IMAGE_NT_HEADERS* NtHeadersOf(HMODULE image);
// The DLLs the module's import table names.
std::vector<std::string> ImportedDlls(HMODULE image);

// Reads the program's resources and executable headers the way the loader sees them.
#pragma once

#include "tests/BuildFolder.h"

#include <windows.h>

#include <string>
#include <vector>

struct TemplateItem {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    int id;
    std::wstring className;  // predefined classes come back by name: "Button", "Edit", "Static", ...
    std::wstring text;       // a picture's resource number comes back as "#129"
};

struct DialogTemplate {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    std::wstring caption;
    WORD pointSize;
    std::wstring typeface;
    std::vector<TemplateItem> items;
};

// False when the resource is missing or is not an extended template.
bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate& result);

// The headers of a module loaded with LOAD_LIBRARY_AS_IMAGE_RESOURCE. That maps it as an image, so
// every address inside it is an offset from its base.
const IMAGE_NT_HEADERS* NtHeadersOf(HMODULE image);
// The DLLs the module's import table names.
std::vector<std::string> ImportedDlls(HMODULE image);

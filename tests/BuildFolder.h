// Where the tests find what they test: the program is built beside the test executables.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring BuildFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder;
}

// The program's name as the user knows it: the caption of its message boxes.
#pragma once

#include <string>

// The base name of the running executable, without folder or extension.
std::wstring ExecutableBaseName();

// Loading a library of the system from the system folder only.
#pragma once

#include <windows.h>

namespace inboxhop {

// The named library from the system folder (already loaded or loaded now),
// never a file of that name beside the program or in the current folder.
// Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace inboxhop

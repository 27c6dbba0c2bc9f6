// Reading a text value from an open registry key, as Windows' own tools
// show it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace inboxhop {

// Reads the value `name` of `key` into `text`, up to its first NUL (a value
// stored without any NUL is taken whole), and its type into `type`. Only
// REG_SZ and REG_EXPAND_SZ are read; for other types `text` stays empty.
// Answers the registry's status.
LONG ReadRegistryText(HKEY key, std::wstring_view name, std::wstring& text, DWORD& type);

}  // namespace inboxhop

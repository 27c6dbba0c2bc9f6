// Reading a value as a 64-bit program sees it: the 64-bit reg.exe, reached
// from a 32-bit process under WOW64 through the sysnative folder.
#pragma once

#include <optional>
#include <string>

namespace testing_support {

struct ListedValue {
    std::wstring type;  // as reg.exe names it: REG_SZ, REG_DWORD...
    std::wstring data;  // as reg.exe shows it (a DWORD as 0x...)
};

// The value `name` (empty: the default value) of HKEY_LOCAL_MACHINE\<path>
// as the 64-bit reg.exe lists it; nothing when it finds no such value.
std::optional<ListedValue> Query64BitView(const std::wstring& path, const std::wstring& name);

}  // namespace testing_support

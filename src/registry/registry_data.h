// What the registry layer hands to the registry, worked out without Windows:
// key paths in the one form the registry understands, and values as the
// bytes they are stored as.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace inboxhop {

// A value to store. Its kind is its registry type: text is stored as REG_SZ,
// a number as REG_DWORD.
using RegistryValue = std::variant<std::wstring, std::int32_t>;

// The path without its trailing backslashes. Callers name a key both with and
// without one; both must reach the same key.
std::wstring_view KeyPathWithoutTrailingBackslash(std::wstring_view path);

// The registry type the value is stored as: REG_SZ (1) or REG_DWORD (4).
unsigned long RegistryType(const RegistryValue& value);

// The bytes the value is stored as: text whole, with its terminating NUL;
// a number as its 32 bits, little-endian.
std::vector<std::uint8_t> StoredBytes(const RegistryValue& value);

}  // namespace inboxhop

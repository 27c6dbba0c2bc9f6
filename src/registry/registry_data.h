// What the registry layer hands to the registry, worked out without Windows:
// key paths in the one form the registry understands, and values converted
// to the type they are stored as.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace inboxhop {

// A value to store: text, or a whole number.
using RegistryValue = std::variant<std::wstring, long long>;

// The path without its trailing backslashes. Callers name a key both with and
// without one; both must reach the same key.
std::wstring_view KeyPathWithoutTrailingBackslash(std::wstring_view path);

// The value as text: text as it is, a number in decimal.
std::wstring RegistryValueAsText(const RegistryValue& value);

// The value as a signed 32-bit number. Text must be a decimal whole number,
// blanks around it allowed. Throws Failure "Type mismatch" for other text and
// "Overflow" when the number does not fit.
std::int32_t RegistryValueAsNumber(const RegistryValue& value);

}  // namespace inboxhop

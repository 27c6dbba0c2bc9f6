// The per-user settings store: text values under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>.
#pragma once

#include <string>
#include <string_view>

#include "base/product.h"
#include "base/services.h"

namespace inboxhop {

inline constexpr std::wstring_view kSettingsRoot = L"Software\\VB and VBA Program Settings";
inline constexpr std::wstring_view kSettingsApplication = kCompanyName;
inline constexpr std::wstring_view kSettingsSection = kProductTitle;
inline constexpr std::wstring_view kOptionKey = L"Option";
// The service chosen until the user picks one: the first.
inline constexpr std::wstring_view kDefaultOption = kServices[0].code;

// The stored text value, or `defaultValue` when the value, the section or the
// application key does not exist. Throws Failure when the key cannot be read
// or the value is not a string.
std::wstring GetSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                        std::wstring_view defaultValue);

// Stores `text` as the key's string value, creating the application and
// section keys when missing. Throws Failure when the store refuses.
void SaveSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                 std::wstring_view text);

}  // namespace inboxhop

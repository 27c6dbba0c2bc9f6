// The program's names and addresses, in one place. Pure text.
#pragma once

#include <string_view>

namespace inboxhop {

// The window caption, the mail-client name in the registry, the settings
// section, the executable's base name and the source of the application
// title.
inline constexpr std::wstring_view kProductTitle = L"Inboxhop";
inline constexpr std::wstring_view kCompanyName = L"Kestrelon";
inline constexpr std::wstring_view kSupportAddress = L"support@kestrelon.com";
inline constexpr std::wstring_view kHomePage = L"https://www.kestrelon.com/";

}  // namespace inboxhop

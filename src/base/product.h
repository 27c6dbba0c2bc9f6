// The program's names and addresses, in one place. Pure text. The name, the
// maker, the file name and the version are resources/version.h's, which the
// resource script reads too; the installers, CMake and the winget manifests
// take these facts from the includes generated from this header
// (installer/registration_includes.cpp).
#pragma once

#include <string_view>

#include "../../resources/version.h"

namespace inboxhop {

// The window caption, the mail-client name in the registry, the settings
// section, the executable's base name and the source of the application
// title.
inline constexpr std::wstring_view kProductTitle = L"" INBOXHOP_PRODUCT;
inline constexpr std::wstring_view kCompanyName = L"" INBOXHOP_COMPANY;
inline constexpr std::wstring_view kSupportAddress = L"support@kestrelon.com";
inline constexpr std::wstring_view kHomePage = L"https://www.kestrelon.com/";

// The file the program is installed as, whatever a running copy is called.
inline constexpr std::wstring_view kProgramFile = L"" INBOXHOP_FILENAME;

// For the installers: the Apps entry's key, in the root of the
// installation's mode, and the Windows Installer package's upgrade code,
// the same for all its versions.
inline constexpr std::wstring_view kAppsEntryKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" INBOXHOP_PRODUCT;
inline constexpr std::wstring_view kUpgradeCode = L"87F4A592-6890-4CA0-8B31-AB0610198CFC";

}  // namespace inboxhop

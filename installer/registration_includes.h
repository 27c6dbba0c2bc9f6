// The installers' includes, written from the registration's one table
// (src/mail_links/registration_table.inc) by the code that the program runs
// the table with: what the EXE installer and the MSI write is what a press of
// the set-up button writes. The files are kept in installer/; a unit test
// regenerates them and fails on any difference. Pure text.
#pragma once

#include <string>
#include <vector>

namespace inboxhop {

struct IncludeFile {
    std::string name;  // in installer/
    std::string text;
};

// Registration.nsh, for installer/Inboxhop.nsi: a !define for every key and
// text and for the values built around the program's path (the installer
// leaves the writing to RestoreMailLinks.dll). Registration.wxi, for
// installer/Inboxhop.wxs: a RegistryValue for every row of the machine-wide
// registration in a key it creates (a Windows Installer component owns only
// keys it makes); RegistrationNames.wxi: a <?define?> for every key and text.
// And the product's facts (base/product.h, resources/version.h: name, maker,
// file, Apps entry, upgrade code, version, the services' names), as
// Product.nsh, Product.wxi and Product.cmake, for the installers, CMake and
// the winget manifests.
// Throws std::runtime_error for a text that an include cannot hold as it is.
std::vector<IncludeFile> RegistrationIncludes();

}  // namespace inboxhop

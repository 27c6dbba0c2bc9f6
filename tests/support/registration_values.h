// The registry values that register the program at a path as the mail-link handler, as the press
// and the installer must write them below HKEY_LOCAL_MACHINE. Written out here, not taken from the
// product's key table, so that a wrong key in that table shows.
#pragma once

#include <string>
#include <vector>

#include "registry_scratch.h"

namespace testing_support {

struct ExpectedValue {
    std::wstring key;
    std::wstring name;  // empty: the default value
    RawValue value;
};

// The mailto command and the mail client's keys.
std::vector<ExpectedValue> MailHandlerValues(const std::wstring& program);
// What Default apps reads: the ProgID, the capabilities and the registered application.
std::vector<ExpectedValue> DefaultAppsValues(const std::wstring& program);

}  // namespace testing_support

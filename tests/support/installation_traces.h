// What an installation leaves on the machine, for the installer tests: the
// system's folders, Inboxhop's own registration, and every key and value
// that still names something.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "registry_tree.h"

namespace testing_support {

// A folder of the system's, by its CSIDL number.
std::wstring SystemFolder(int csidl);
std::wstring Lower(std::wstring text);

// Inboxhop's own registration for every user: the client, the ProgID and the
// registered application.
struct Registration {
    std::optional<KeyTree> client, progId;
    std::optional<RawValue> application;
    bool operator==(const Registration&) const = default;
};
Registration ReadRegistration();
bool RemoveRegistration();

// Every key name and value below `path` that mentions `text` (lower case);
// keys that cannot be read are passed over.
void FindMentions(HKEY root, const std::wstring& path, const std::wstring& text, std::vector<std::wstring>& found);

}  // namespace testing_support

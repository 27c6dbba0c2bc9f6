// Registry keys made read-only for everyone, as a user without
// administrator rights finds the machine's keys. (Wine checks a key's own
// permissions, not its parent's right to make subkeys, so the keys are made
// first.)
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "registry/mail_handler_keys.h"

namespace testing_support {

class ReadOnlyKeys {
public:
    ReadOnlyKeys() = default;
    ~ReadOnlyKeys();  // gives every key its own permissions back
    ReadOnlyKeys(const ReadOnlyKeys&) = delete;
    ReadOnlyKeys& operator=(const ReadOnlyKeys&) = delete;

    // Makes the key (when it is missing) and makes it read-only. False when
    // the registry refused.
    bool Add(HKEY root, const std::wstring& path) { return Restrict(root, path, KEY_READ); }
    // The same, with only the rights `allowed` left to everyone.
    bool Restrict(HKEY root, const std::wstring& path, REGSAM allowed);
    // Every key the steps create or write into.
    bool AddEvery(std::span<const inboxhop::HandlerStep> steps);

private:
    struct Saved {
        inboxhop::ScopedRegKey key;  // kept open with the right to change its permissions
        std::vector<BYTE> security;
    };
    std::vector<Saved> saved_;
};

}  // namespace testing_support

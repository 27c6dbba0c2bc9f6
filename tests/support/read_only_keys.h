// Registry keys made read-only for everyone, as a user without administrator rights finds the
// machine's keys. (Wine checks a key's own permissions, not its parent's right to make subkeys, so
// the keys are made first.)
#pragma once

#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "registry/mail_handler_keys.h"

namespace testing_support {

class ReadOnlyKeys {
public:
    ReadOnlyKeys() = default;
    ~ReadOnlyKeys() {  // gives every key its own permissions back
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            RegSetKeySecurity(it->key.get(), DACL_SECURITY_INFORMATION, it->security.data());
        }
    }
    ReadOnlyKeys(const ReadOnlyKeys&) = delete;
    ReadOnlyKeys& operator=(const ReadOnlyKeys&) = delete;

    // Makes the key (when it is missing) and makes it read-only. False when the registry refused.
    bool Add(HKEY root, const std::wstring& path) { return Restrict(root, path, KEY_READ); }
    // The same, with only the rights `allowed` left to everyone.
    bool Restrict(HKEY root, const std::wstring& path, REGSAM allowed) {
        Saved saved;
        DWORD size = 0;
        if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, saved.key.put(),
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        RegGetKeySecurity(saved.key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
        saved.security.resize(size);
        if (RegGetKeySecurity(saved.key.get(), DACL_SECURITY_INFORMATION, saved.security.data(), &size) !=
            ERROR_SUCCESS) {
            return false;
        }
        // One entry: everyone (WD) has the rights allowed, and nobody has any other.
        wchar_t sddl[32];
        swprintf(sddl, std::size(sddl), L"D:(A;;0x%lx;;;WD)", static_cast<unsigned long>(allowed));
        inboxhop::ScopedLocalMemory descriptor;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, descriptor.put(), nullptr) ||
            RegSetKeySecurity(saved.key.get(), DACL_SECURITY_INFORMATION, descriptor.get()) != ERROR_SUCCESS) {
            return false;
        }
        saved_.push_back(std::move(saved));
        return true;
    }
    // Every key the steps create or write into.
    bool AddEvery(std::span<const inboxhop::HandlerStep> steps) {
        for (const inboxhop::HandlerStep& step : steps) {
            HKEY root = step.root == inboxhop::kCurrentUserRoot ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
            if (!Add(root, std::wstring(inboxhop::KeyPathWithoutTrailingBackslash(step.path)))) return false;
        }
        return true;
    }

private:
    struct Saved {
        inboxhop::ScopedRegKey key;  // kept open with the right to change its permissions
        std::vector<BYTE> security;
    };
    std::vector<Saved> saved_;
};

}  // namespace testing_support

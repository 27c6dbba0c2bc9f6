#include "read_only_keys.h"

namespace testing_support {

ReadOnlyKeys::~ReadOnlyKeys() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        RegSetKeySecurity(it->key.get(), DACL_SECURITY_INFORMATION, it->security.data());
    }
}

bool ReadOnlyKeys::Restrict(HKEY root, const std::wstring& path, REGSAM allowed) {
    Saved saved;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, saved.key.put(),
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = 0;
    RegGetKeySecurity(saved.key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    saved.security.resize(size);
    if (RegGetKeySecurity(saved.key.get(), DACL_SECURITY_INFORMATION, saved.security.data(), &size) != ERROR_SUCCESS) {
        return false;
    }
    // One entry: everyone has the rights allowed, and nobody has any other.
    alignas(DWORD) BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(sid);
    alignas(DWORD) BYTE acl[256];
    SECURITY_DESCRIPTOR descriptor;
    if (!CreateWellKnownSid(WinWorldSid, nullptr, sid, &sidSize) ||
        !InitializeAcl(reinterpret_cast<PACL>(acl), sizeof(acl), ACL_REVISION) ||
        !AddAccessAllowedAce(reinterpret_cast<PACL>(acl), ACL_REVISION, allowed, sid) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(acl), FALSE) ||
        RegSetKeySecurity(saved.key.get(), DACL_SECURITY_INFORMATION, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    saved_.push_back(std::move(saved));
    return true;
}

bool ReadOnlyKeys::AddEvery(std::span<const inboxhop::HandlerStep> steps) {
    for (const inboxhop::HandlerStep& step : steps) {
        HKEY root = step.root == inboxhop::kCurrentUserRoot ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        if (!Add(root, std::wstring(inboxhop::KeyPathWithoutTrailingBackslash(step.path)))) return false;
    }
    return true;
}

}  // namespace testing_support

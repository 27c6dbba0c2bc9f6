#include "read_only_keys.h"

#include <sddl.h>

#include <cstdio>

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

bool ReadOnlyKeys::AddEvery(std::span<const inboxhop::HandlerStep> steps) {
    for (const inboxhop::HandlerStep& step : steps) {
        HKEY root = step.root == inboxhop::kCurrentUserRoot ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        if (!Add(root, std::wstring(inboxhop::KeyPathWithoutTrailingBackslash(step.path)))) return false;
    }
    return true;
}

}  // namespace testing_support

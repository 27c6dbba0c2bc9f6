// A registry key with everything below it, read into memory: to compare the
// state before and after, and to put a key back as it was when a test ends.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "registry_scratch.h"

namespace testing_support {

struct KeyTree {
    std::map<std::wstring, RawValue> values;
    std::map<std::wstring, KeyTree> subkeys;
    bool operator==(const KeyTree&) const = default;
};

// The key and all below it; nothing when the key does not exist.
inline std::optional<KeyTree> ReadTree(HKEY root, const std::wstring& path) {
    inboxhop::ScopedRegKey key;
    KeyTree tree;
    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values, &maxName,
                         &maxData, nullptr, nullptr) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    for (DWORD i = 0; i < values; ++i) {
        std::wstring name(maxName + 1, L'\0');
        DWORD nameLength = maxName + 1, size = maxData;
        RawValue value{REG_NONE, std::vector<BYTE>(maxData)};
        if (RegEnumValueW(key.get(), i, name.data(), &nameLength, nullptr, &value.type, value.data.data(), &size) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.data.resize(size);
        tree.values[name.substr(0, nameLength)] = value;
    }
    for (DWORD i = 0; i < subkeys; ++i) {
        std::wstring name(maxSubkey + 1, L'\0');
        DWORD nameLength = maxSubkey + 1;
        if (RegEnumKeyExW(key.get(), i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        name.resize(nameLength);
        auto subtree = ReadTree(key.get(), name);
        if (!subtree) return std::nullopt;
        tree.subkeys[name] = *subtree;
    }
    return tree;
}

// Replaces whatever is at `path` with `tree`, or removes the key when there
// is no tree. False when the registry refused some part.
inline bool PutTree(HKEY root, const std::wstring& path, const std::optional<KeyTree>& tree) {
    if (!DeleteTree(root, path)) return false;
    if (!tree) return true;
    inboxhop::ScopedRegKey key;
    bool ok = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) ==
              ERROR_SUCCESS;
    for (const auto& [name, value] : tree->values) ok = WriteRaw(key.get(), L"", name, value) && ok;
    for (const auto& [name, subtree] : tree->subkeys) ok = PutTree(key.get(), name, subtree) && ok;
    return ok;
}

// Remembers a key with all below it and puts it back when destroyed.
class ScratchTree {
public:
    ScratchTree(HKEY root, std::wstring path) : root_(root), path_(std::move(path)), saved_(ReadTree(root_, path_)) {}
    ~ScratchTree() { PutTree(root_, path_, saved_); }
    ScratchTree(const ScratchTree&) = delete;
    ScratchTree& operator=(const ScratchTree&) = delete;

    const std::optional<KeyTree>& saved() const { return saved_; }

private:
    HKEY root_;
    std::wstring path_;
    std::optional<KeyTree> saved_;
};

}  // namespace testing_support

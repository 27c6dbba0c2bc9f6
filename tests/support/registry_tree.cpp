#include "registry_tree.h"

#include <vector>

#include "base/scoped_win.h"

namespace testing_support {

using inboxhop::ScopedRegKey;

bool operator==(const KeyTree& a, const KeyTree& b) { return a.values == b.values && a.subkeys == b.subkeys; }

namespace {

std::optional<KeyTree> ReadOpenTree(HKEY key) {
    KeyTree tree;
    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values, &maxName, &maxData,
                         nullptr, nullptr) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    for (DWORD i = 0; i < values; ++i) {
        std::wstring name(maxName + 1, L'\0');
        DWORD nameLength = maxName + 1;
        RawValue value;
        value.data.resize(maxData);
        DWORD size = maxData;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &value.type, value.data.data(), &size) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        name.resize(nameLength);
        value.data.resize(size);
        tree.values[name] = value;
    }
    for (DWORD i = 0; i < subkeys; ++i) {
        std::wstring name(maxSubkey + 1, L'\0');
        DWORD nameLength = maxSubkey + 1;
        if (RegEnumKeyExW(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        name.resize(nameLength);
        ScopedRegKey sub;
        if (RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, sub.put()) != ERROR_SUCCESS) return std::nullopt;
        auto subtree = ReadOpenTree(sub.get());
        if (!subtree) return std::nullopt;
        tree.subkeys[name] = *subtree;
    }
    return tree;
}

bool WriteOpenTree(HKEY key, const KeyTree& tree) {
    bool ok = true;
    for (const auto& [name, value] : tree.values) {
        ok = RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size())) ==
                 ERROR_SUCCESS &&
             ok;
    }
    for (const auto& [name, subtree] : tree.subkeys) {
        ScopedRegKey sub;
        ok = RegCreateKeyExW(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, sub.put(), nullptr) ==
                 ERROR_SUCCESS &&
             WriteOpenTree(sub.get(), subtree) && ok;
    }
    return ok;
}

}  // namespace

std::optional<KeyTree> ReadTree(HKEY root, const std::wstring& path) {
    ScopedRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return std::nullopt;
    return ReadOpenTree(key.get());
}

bool PutTree(HKEY root, const std::wstring& path, const std::optional<KeyTree>& tree) {
    if (!DeleteTree(root, path)) return false;
    if (!tree) return true;
    ScopedRegKey key;
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) ==
               ERROR_SUCCESS &&
           WriteOpenTree(key.get(), *tree);
}

ScratchTree::ScratchTree(HKEY root, std::wstring path)
    : root_(root), path_(std::move(path)), saved_(ReadTree(root_, path_)) {}

ScratchTree::~ScratchTree() { PutTree(root_, path_, saved_); }

}  // namespace testing_support

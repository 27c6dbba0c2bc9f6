#include "registry_tree.h"

#include <vector>

#include "base/scoped_win.h"

namespace testing_support {

using inboxhop::ScopedRegKey;

bool operator==(const KeyTree& a, const KeyTree& b) { return a.values == b.values && a.subkeys == b.subkeys; }

std::optional<KeyTree> ReadTree(HKEY root, const std::wstring& path) {
    ScopedRegKey key;
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

bool PutTree(HKEY root, const std::wstring& path, const std::optional<KeyTree>& tree) {
    if (!DeleteTree(root, path)) return false;
    if (!tree) return true;
    ScopedRegKey key;
    bool ok = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) ==
              ERROR_SUCCESS;
    for (const auto& [name, value] : tree->values) {
        ok = RegSetValueExW(key.get(), name.c_str(), 0, value.type, value.data.data(),
                            static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS &&
             ok;
    }
    for (const auto& [name, subtree] : tree->subkeys) ok = PutTree(key.get(), name, subtree) && ok;
    return ok;
}

ScratchTree::ScratchTree(HKEY root, std::wstring path)
    : root_(root), path_(std::move(path)), saved_(ReadTree(root_, path_)) {}

ScratchTree::~ScratchTree() { PutTree(root_, path_, saved_); }

}  // namespace testing_support

// Registry state for tests: values, and whole keys read into memory to compare before and after, put back as they
// were when a test ends; direct reads that do not go through the code under test; and keys made read-only.
#pragma once

#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "base/scoped.h"
#include "mail_links/registration_steps.h"

namespace testing_support {

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RawValue&) const = default;
};

// In failure messages: its type and its bytes read as UTF-16 text.
inline void PrintTo(const RawValue& value, std::ostream* out) {
    *out << "type " << value.type << " \"";
    for (size_t i = 0; i + 1 < value.data.size(); i += 2) {
        unsigned c = value.data[i] | value.data[i + 1] << 8;
        if (c >= 0x20 && c < 0x7f) {
            *out << static_cast<char>(c);
        } else {
            *out << "\\u" << std::hex << c << std::dec;
        }
    }
    *out << "\"";
}

// The bytes of text as the wide registry keeps it: UTF-16 with its NUL.
inline std::vector<BYTE> StoredText(const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
}
// Text with its NUL (REG_SZ unless told), or a REG_DWORD, as stored.
inline RawValue TextValue(const std::wstring& text, DWORD type = REG_SZ) { return {type, StoredText(text)}; }
inline RawValue NumberValue(DWORD number) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&number);
    return {REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof(number))};
}

inline std::optional<RawValue> ReadRaw(HKEY root, const std::wstring& path, const std::wstring& name) {
    inboxhop::ScopedRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status = RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, value.data.data(), &size);
        value.data.resize(size);
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

// A REG_SZ value as text (without its NUL); nothing when absent or of another type.
inline std::optional<std::wstring> ReadText(HKEY root, const std::wstring& path, const std::wstring& name) {
    auto raw = ReadRaw(root, path, name);
    if (!raw || raw->type != REG_SZ) return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(raw->data.data()), raw->data.size() / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

inline bool WriteRaw(HKEY root, const std::wstring& path, const std::wstring& name, const RawValue& value) {
    inboxhop::ScopedRegKey key;
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) ==
               ERROR_SUCCESS &&
           RegSetValueExW(key.get(), name.c_str(), 0, value.type, value.data.data(),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

inline bool WriteText(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text) {
    return WriteRaw(root, path, name, TextValue(text));
}

// Removing what is not there counts as done.
inline bool Gone(LONG status) { return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND; }
inline bool DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    inboxhop::ScopedRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return true;
    return Gone(RegDeleteValueW(key.get(), name.c_str()));
}
inline bool DeleteTree(HKEY root, const std::wstring& path) {
    return Gone(RegDeleteTreeW(root, path.c_str())) && Gone(RegDeleteKeyW(root, path.c_str()));
}

inline bool KeyExists(HKEY root, const std::wstring& path) {
    inboxhop::ScopedRegKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

// Remembers one value and puts it back (or removes it) when destroyed.
class ScratchValue {
public:
    ScratchValue(HKEY root, std::wstring path, std::wstring name)
        : root_(root), path_(std::move(path)), name_(std::move(name)), saved_(ReadRaw(root_, path_, name_)) {}
    ~ScratchValue() {
        if (saved_) {
            WriteRaw(root_, path_, name_, *saved_);
        } else {
            DeleteValue(root_, path_, name_);
        }
    }
    ScratchValue(const ScratchValue&) = delete;
    ScratchValue& operator=(const ScratchValue&) = delete;

    bool Set(const std::wstring& text) { return WriteText(root_, path_, name_, text); }
    bool SetRaw(const RawValue& value) { return WriteRaw(root_, path_, name_, value); }
    bool Remove() { return DeleteValue(root_, path_, name_); }
    std::optional<std::wstring> Read() const { return ReadText(root_, path_, name_); }
    std::optional<RawValue> ReadRawValue() const { return ReadRaw(root_, path_, name_); }

private:
    HKEY root_;
    std::wstring path_;
    std::wstring name_;
    std::optional<RawValue> saved_;
};

// The user's stored service choice.
inline constexpr wchar_t kSettingsSectionPath[] = L"Software\\VB and VBA Program Settings\\Kestrelon\\Inboxhop";
class ScratchOption : public ScratchValue {
public:
    ScratchOption() : ScratchValue(HKEY_CURRENT_USER, kSettingsSectionPath, L"Option") {}
};

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

// Registry keys made read-only for everyone, as a user without administrator rights finds the machine's keys. (Wine
// checks a key's own permissions, not its parent's right to make subkeys, so the keys are made first.)
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

    // Makes the key (when it is missing) and leaves everyone only the rights `allowed`; false when the registry
    // refused.
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
    // Every key the steps create or write into, made read-only.
    bool AddEvery(std::span<const inboxhop::HandlerStep> steps) {
        for (const inboxhop::HandlerStep& step : steps) {
            HKEY root = step.root == inboxhop::kCurrentUserRoot ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
            if (!Restrict(root, std::wstring(inboxhop::KeyPathWithoutTrailingBackslash(step.path)), KEY_READ)) {
                return false;
            }
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

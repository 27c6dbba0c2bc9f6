// Registry state for tests: values put back as they were when a test ends,
// and direct reads that do not go through the code under test.
#pragma once

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/scoped_win.h"

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

}  // namespace testing_support

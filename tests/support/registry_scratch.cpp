#include "registry_scratch.h"

#include "base/scoped_win.h"

namespace testing_support {

using inboxhop::ScopedRegKey;

namespace {

// Removing what is not there counts as done.
bool Gone(LONG status) { return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND; }

}  // namespace

bool operator==(const RawValue& a, const RawValue& b) { return a.type == b.type && a.data == b.data; }

void PrintTo(const RawValue& value, std::ostream* out) {
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

std::optional<RawValue> ReadRaw(HKEY root, const std::wstring& path, const std::wstring& name) {
    ScopedRegKey key;
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

std::optional<std::wstring> ReadText(HKEY root, const std::wstring& path, const std::wstring& name) {
    auto raw = ReadRaw(root, path, name);
    if (!raw || raw->type != REG_SZ) return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(raw->data.data()), raw->data.size() / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::vector<BYTE> StoredText(const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
}

RawValue TextValue(const std::wstring& text, DWORD type) { return {type, StoredText(text)}; }

RawValue NumberValue(DWORD number) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&number);
    return {REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof(number))};
}

bool WriteRaw(HKEY root, const std::wstring& path, const std::wstring& name, const RawValue& value) {
    ScopedRegKey key;
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) ==
               ERROR_SUCCESS &&
           RegSetValueExW(key.get(), name.c_str(), 0, value.type, value.data.data(),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool WriteText(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text) {
    return WriteRaw(root, path, name, TextValue(text));
}

bool DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    ScopedRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return true;
    return Gone(RegDeleteValueW(key.get(), name.c_str()));
}

bool KeyExists(HKEY root, const std::wstring& path) {
    ScopedRegKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

bool DeleteTree(HKEY root, const std::wstring& path) {
    return Gone(RegDeleteTreeW(root, path.c_str())) && Gone(RegDeleteKeyW(root, path.c_str()));
}

ScratchValue::ScratchValue(HKEY root, std::wstring path, std::wstring name)
    : root_(root), path_(std::move(path)), name_(std::move(name)), saved_(ReadRaw(root_, path_, name_)) {}

ScratchValue::~ScratchValue() {
    if (saved_) {
        WriteRaw(root_, path_, name_, *saved_);
    } else {
        DeleteValue(root_, path_, name_);
    }
}

}  // namespace testing_support

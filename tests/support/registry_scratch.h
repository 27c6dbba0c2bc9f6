// Registry state for tests: values put back as they were when a test ends,
// and direct reads that do not go through the code under test.
#pragma once

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace testing_support {

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
bool operator==(const RawValue& a, const RawValue& b);
// In failure messages: its type and its bytes read as UTF-16 text.
void PrintTo(const RawValue& value, std::ostream* out);

// The bytes of text as the wide registry keeps it: UTF-16 with its NUL.
std::vector<BYTE> StoredText(const std::wstring& text);
// Text with its NUL (REG_SZ unless told), or a REG_DWORD, as stored.
RawValue TextValue(const std::wstring& text, DWORD type = REG_SZ);
RawValue NumberValue(DWORD number);

std::optional<RawValue> ReadRaw(HKEY root, const std::wstring& path, const std::wstring& name);
// A REG_SZ value as text (without its NUL); nothing when absent or of another type.
std::optional<std::wstring> ReadText(HKEY root, const std::wstring& path, const std::wstring& name);
bool WriteRaw(HKEY root, const std::wstring& path, const std::wstring& name, const RawValue& value);
bool WriteText(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text);
bool DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name);
bool KeyExists(HKEY root, const std::wstring& path);
bool DeleteTree(HKEY root, const std::wstring& path);

// Remembers one value and puts it back (or removes it) when destroyed.
class ScratchValue {
public:
    ScratchValue(HKEY root, std::wstring path, std::wstring name);
    ~ScratchValue();
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

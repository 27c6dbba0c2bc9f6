#include "settings/settings_store.h"

#include <windows.h>

#include "base/registry_text_win.h"
#include "base/scoped_win.h"
#include "base/system_error.h"

namespace inboxhop {

namespace {

std::wstring SectionPath(std::wstring_view application, std::wstring_view section) {
    std::wstring path(kSettingsRoot);
    path += L'\\';
    path += application;
    path += L'\\';
    path += section;
    return path;
}

}  // namespace

std::wstring GetSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                        std::wstring_view defaultValue) {
    ScopedRegKey hkey;
    LONG status =
        RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(application, section).c_str(), 0, KEY_QUERY_VALUE, hkey.put());
    if (status == ERROR_FILE_NOT_FOUND) return std::wstring(defaultValue);
    if (status != ERROR_SUCCESS) ThrowSystemError(static_cast<unsigned long>(status));

    std::wstring value;
    DWORD type = REG_NONE;
    status = ReadRegistryText(hkey.get(), key, value, type);
    hkey.reset();

    if (status == ERROR_FILE_NOT_FOUND) return std::wstring(defaultValue);
    if (status != ERROR_SUCCESS) ThrowSystemError(static_cast<unsigned long>(status));
    if (type != REG_SZ) ThrowSystemError(ERROR_UNSUPPORTED_TYPE);
    return value;
}

void SaveSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                 std::wstring_view text) {
    ScopedRegKey hkey;
    LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(application, section).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, hkey.put(), nullptr);
    if (status != ERROR_SUCCESS) ThrowSystemError(static_cast<unsigned long>(status));
    std::wstring name(key);
    std::wstring data(text);
    status = RegSetValueExW(hkey.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) ThrowSystemError(static_cast<unsigned long>(status));
}

}  // namespace inboxhop

#include "settings/settings_store.h"

#include <windows.h>

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

    std::wstring name(key);
    std::wstring value;
    DWORD type = 0;
    DWORD bytes = 0;
    status = RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, nullptr, &bytes);
    // The value can change between the size query and the read: try again
    // with the new size while it grows.
    while (status == ERROR_SUCCESS && type == REG_SZ) {
        value.resize(bytes / sizeof(wchar_t) + 1);
        DWORD got = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status =
            RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &got);
        if (status == ERROR_MORE_DATA) {
            bytes = got;
            status = ERROR_SUCCESS;
            continue;
        }
        if (status == ERROR_SUCCESS) value.resize(got / sizeof(wchar_t));
        break;
    }
    hkey.reset();

    if (status == ERROR_FILE_NOT_FOUND) return std::wstring(defaultValue);
    if (status != ERROR_SUCCESS) ThrowSystemError(static_cast<unsigned long>(status));
    if (type != REG_SZ) ThrowSystemError(ERROR_UNSUPPORTED_TYPE);
    // The text ends at its first NUL, as Windows' own tools show a string
    // value; one written without any NUL is taken whole.
    if (size_t nul = value.find(L'\0'); nul != std::wstring::npos) value.resize(nul);
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

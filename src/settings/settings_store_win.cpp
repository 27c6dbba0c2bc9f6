#include "settings/settings_store.h"

#include <windows.h>

#include "base/system_error.h"
#include "registry/registry_access.h"

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
    std::wstring value;
    DWORD type = REG_NONE;
    // A missing application key, section or value all leave the default.
    LONG status = ReadRegistryText(HKEY_CURRENT_USER, SectionPath(application, section), key, value, type);
    if (status == ERROR_FILE_NOT_FOUND) return std::wstring(defaultValue);
    if (status != ERROR_SUCCESS) ThrowSystemError(static_cast<unsigned long>(status));
    if (type != REG_SZ) ThrowSystemError(ERROR_UNSUPPORTED_TYPE);
    return value;
}

void SaveSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                 std::wstring_view text) {
    const std::wstring path = SectionPath(application, section);
    // Once the section exists a store is one open and one write; the first store makes it.
    LONG status = WriteRegistryValue(HKEY_CURRENT_USER, path, key, std::wstring(text));
    if (status == ERROR_FILE_NOT_FOUND) {
        status = CreateRegistryKey(HKEY_CURRENT_USER, path);
        if (status == ERROR_SUCCESS) status = WriteRegistryValue(HKEY_CURRENT_USER, path, key, std::wstring(text));
    }
    if (status != ERROR_SUCCESS) ThrowSystemError(static_cast<unsigned long>(status));
}

}  // namespace inboxhop

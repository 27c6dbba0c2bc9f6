#include "registry/registry_access.h"

#include <string>
#include <vector>

#include "base/scoped.h"
#include "base/windows_version.h"

namespace inboxhop {

namespace {

const RegistryApi kSystemApi = {&::RegCreateKeyExW, &::RegOpenKeyExW, &::RegSetValueExW, &::RegCloseKey,
                                 &::RegQueryValueExW, &::RegDeleteValueW, &::RegDeleteKeyExW,
                                 &::RegQueryInfoKeyW};

const RegistryApi* g_api = &kSystemApi;

// A key opened through the layer's calls is closed through them too, so that
// a stand-in sees every handle it gave out come back.
LONG CloseThroughLayer(HKEY key) { return g_api->closeKey(key); }
using LayerKey = Scoped<NullIsNone<HKEY, &CloseThroughLayer>>;

// The path as the registry is given it: without trailing backslashes, so
// that "A\B\" and "A\B" name the same key.
std::wstring KeyPath(std::wstring_view path) { return std::wstring(KeyPathWithoutTrailingBackslash(path)); }

REGSAM View() { return RunsUnderWow64() ? KEY_WOW64_64KEY : 0; }

// Opens an existing key for reading only, in the given view; answers the
// registry's status.
LONG OpenForReading(HKEY root, std::wstring_view path, REGSAM view, LayerKey& key) {
    LONG status = g_api->openKey(root, KeyPath(path).c_str(), 0, KEY_QUERY_VALUE | view, key.put());
    if (status != ERROR_SUCCESS) key.release();  // nothing was opened
    return status;
}

}  // namespace

REGSAM RegistryAccess() { return kRegistryAccess | View(); }

RegistryApiOverride::RegistryApiOverride(const RegistryApi& api) : previous_(g_api) { g_api = &api; }

RegistryApiOverride::~RegistryApiOverride() { g_api = previous_; }

LONG CreateRegistryKey(HKEY root, std::wstring_view path, bool shellView) {
    LayerKey key;
    DWORD disposition = 0;
    LONG status = g_api->createKey(root, KeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   kRegistryAccess | (shellView ? View() : 0), nullptr, key.put(), &disposition);
    if (status != ERROR_SUCCESS) key.release();  // nothing was opened
    return status;
}

LONG WriteRegistryValue(HKEY root, std::wstring_view path, std::wstring_view valueName, const RegistryValue& value) {
    LayerKey key;
    LONG status = g_api->openKey(root, KeyPath(path).c_str(), 0, RegistryAccess(), key.put());
    if (status != ERROR_SUCCESS) {
        key.release();  // nothing was opened
        return status;
    }
    return SetOpenKeyValue(key.get(), valueName, value);
}

bool RegistryKeyExists(HKEY root, std::wstring_view path, bool shellView) {
    LayerKey key;
    return OpenForReading(root, path, shellView ? View() : 0, key) == ERROR_SUCCESS;
}

bool RegistryValueEquals(HKEY root, std::wstring_view path, std::wstring_view valueName, const RegistryValue& value) {
    StoredValue stored;
    return ReadStoredValue(root, path, valueName, stored, true) == ERROR_SUCCESS &&
           stored.type == RegistryType(value) && stored.data == StoredBytes(value);
}

LONG SetOpenKeyValue(HKEY key, std::wstring_view valueName, const RegistryValue& value) {
    std::wstring name(valueName);
    const std::vector<std::uint8_t> data = StoredBytes(value);
    if (data.size() > MAXDWORD) return ERROR_INVALID_PARAMETER;
    return g_api->setValue(key, name.c_str(), 0, RegistryType(value), data.data(), static_cast<DWORD>(data.size()));
}

LONG WriteOwnViewValue(HKEY root, std::wstring_view path, std::wstring_view valueName, const RegistryValue& value) {
    LayerKey key;
    LONG status = g_api->createKey(root, KeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kRegistryAccess,
                                   nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) {
        key.release();  // nothing was opened
        return status;
    }
    return SetOpenKeyValue(key.get(), valueName, value);
}

LONG ReadRegistryText(HKEY root, std::wstring_view path, std::wstring_view name, std::wstring& text, DWORD& type,
                      bool shellView) {
    StoredValue value;
    const LONG status = ReadStoredValue(root, path, name, value, shellView);
    type = value.type;
    text.clear();
    if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        text.assign(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / sizeof(wchar_t));
        if (size_t nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
    }
    return status;
}

LONG WriteRegistryText(HKEY root, std::wstring_view path, std::wstring_view valueName, std::wstring_view text,
                       DWORD type) {
    return WriteStoredValue(root, path, valueName, {type, StoredBytes(std::wstring(text))}, true);
}

LONG ReadStoredValue(HKEY root, std::wstring_view path, std::wstring_view name, StoredValue& value, bool shellView) {
    value = {};
    LayerKey key;
    LONG status = OpenForReading(root, path, shellView ? View() : 0, key);
    if (status != ERROR_SUCCESS) return status;
    const std::wstring valueName(name);
    DWORD bytes = 0;
    status = g_api->queryValue(key.get(), valueName.c_str(), nullptr, &value.type, nullptr, &bytes);
    // The value can change between the size query and the read: try again
    // with the new size while it grows.
    while (status == ERROR_SUCCESS) {
        value.data.resize(bytes);
        DWORD got = bytes;
        status = g_api->queryValue(key.get(), valueName.c_str(), nullptr, &value.type, value.data.data(), &got);
        if (status != ERROR_MORE_DATA) {
            value.data.resize(status == ERROR_SUCCESS ? got : 0);
            break;
        }
        bytes = got;
        status = ERROR_SUCCESS;
    }
    return status;
}

LONG WriteStoredValue(HKEY root, std::wstring_view path, std::wstring_view name, const StoredValue& value,
                      bool shellView) {
    LayerKey key;
    LONG status =
        g_api->openKey(root, KeyPath(path).c_str(), 0, kRegistryAccess | (shellView ? View() : 0), key.put());
    if (status != ERROR_SUCCESS) {
        key.release();  // nothing was opened
        return status;
    }
    if (value.data.size() > MAXDWORD) return ERROR_INVALID_PARAMETER;
    return g_api->setValue(key.get(), std::wstring(name).c_str(), 0, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size()));
}

LONG ReadRegistryNumber(HKEY root, std::wstring_view path, std::wstring_view name, DWORD& number, bool shellView) {
    number = 0;
    LayerKey key;
    LONG status = OpenForReading(root, path, shellView ? View() : 0, key);
    if (status != ERROR_SUCCESS) return status;
    std::wstring valueName(name);
    DWORD type = REG_NONE, bytes = sizeof(number);
    status = g_api->queryValue(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&number), &bytes);
    if (status == ERROR_SUCCESS && (type != REG_DWORD || bytes != sizeof(number))) status = ERROR_INVALID_DATA;
    if (status != ERROR_SUCCESS) number = 0;
    return status;
}

LONG DeleteRegistryValue(HKEY root, std::wstring_view path, std::wstring_view name, bool shellView) {
    LayerKey key;
    LONG status = g_api->openKey(root, KeyPath(path).c_str(), 0, KEY_SET_VALUE | (shellView ? View() : 0), key.put());
    if (status != ERROR_SUCCESS) {
        key.release();  // nothing was opened
        return status;
    }
    return g_api->deleteValue(key.get(), std::wstring(name).c_str());
}

LONG DeleteEmptyRegistryKey(HKEY root, std::wstring_view path, bool shellView) {
    const REGSAM view = shellView ? View() : 0;
    {
        LayerKey key;
        LONG status = OpenForReading(root, path, view, key);
        if (status != ERROR_SUCCESS) return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
        DWORD keys = 1, values = 1;
        status = g_api->queryInfo(key.get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr,
                                  nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) return status;
        if (keys != 0 || values != 0) return ERROR_DIR_NOT_EMPTY;
    }
    return g_api->deleteKey(root, KeyPath(path).c_str(), view, 0);
}

}  // namespace inboxhop

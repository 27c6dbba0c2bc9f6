#include "registry/modRegStuff.h"

#include <optional>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "base/windows_version_win.h"

namespace inboxhop {

namespace {

const RegistryApi kSystemApi = {&::RegCreateKeyExW, &::RegOpenKeyExW, &::RegSetValueExW, &::RegCloseKey,
                                 &::RegQueryValueExW};

const RegistryApi* g_api = &kSystemApi;

// A key opened through the layer's calls is closed through them too, so that
// a stand-in sees every handle it gave out come back.
LONG CloseThroughLayer(HKEY key) { return g_api->closeKey(key); }
using LayerKey = Scoped<NullIsNone<HKEY, &CloseThroughLayer>>;

// The path as the registry is given it: without trailing backslashes, so
// that "A\B\" and "A\B" name the same key.
std::wstring KeyPath(std::wstring_view path) { return std::wstring(KeyPathWithoutTrailingBackslash(path)); }

REGSAM View() { return RunsUnderWow64() ? KEY_WOW64_64KEY : 0; }

// The bytes a value is stored as: REG_SZ as the whole text and its NUL,
// REG_DWORD as a signed 32-bit number, little-endian. Nothing for other types.
std::optional<std::vector<BYTE>> Encoded(DWORD type, const RegistryValue& value) {
    if (type == REG_SZ) {
        std::wstring text = RegistryValueAsText(value);
        const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
        return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
    }
    if (type == REG_DWORD) {
        const auto bits = static_cast<std::uint32_t>(RegistryValueAsNumber(value));
        return std::vector<BYTE>{static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8), static_cast<BYTE>(bits >> 16),
                                 static_cast<BYTE>(bits >> 24)};
    }
    return std::nullopt;
}

// Opens an existing key for reading only.
LayerKey OpenForReading(HKEY root, std::wstring_view path) {
    LayerKey key;
    if (g_api->openKey(root, KeyPath(path).c_str(), 0, KEY_QUERY_VALUE | View(), key.put()) != ERROR_SUCCESS) {
        key.release();  // nothing was opened
    }
    return key;
}

}  // namespace

REGSAM RegistryAccess() { return kRegistryAccess | View(); }

RegistryApiOverride::RegistryApiOverride(const RegistryApi& api) : previous_(g_api) { g_api = &api; }

RegistryApiOverride::~RegistryApiOverride() { g_api = previous_; }

LONG CreateRegistryKey(HKEY root, std::wstring_view path) {
    LayerKey key;
    DWORD disposition = 0;
    LONG status = g_api->createKey(root, KeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   RegistryAccess(), nullptr, key.put(), &disposition);
    if (status != ERROR_SUCCESS) key.release();  // nothing was opened
    return status;
}

LONG WriteRegistryValue(HKEY root, std::wstring_view path, std::wstring_view valueName, const RegistryValue& value,
                        DWORD type) {
    // The key is closed whatever the write does, a conversion failure
    // included.
    LayerKey key;
    LONG status = g_api->openKey(root, KeyPath(path).c_str(), 0, RegistryAccess(), key.put());
    if (status != ERROR_SUCCESS) {
        key.release();  // nothing was opened
        return status;
    }
    return SetOpenKeyValue(key.get(), valueName, type, value);
}

bool RegistryKeyExists(HKEY root, std::wstring_view path) { return static_cast<bool>(OpenForReading(root, path)); }

bool RegistryValueEquals(HKEY root, std::wstring_view path, std::wstring_view valueName, const RegistryValue& value,
                         DWORD type) {
    auto expected = Encoded(type, value);
    if (!expected) return false;
    LayerKey key = OpenForReading(root, path);
    if (!key) return false;
    std::wstring name(valueName);
    // One byte more than expected tells a longer value from an equal one.
    std::vector<BYTE> stored(expected->size() + 1);
    DWORD storedType = 0;
    DWORD size = static_cast<DWORD>(stored.size());
    if (g_api->queryValue(key.get(), name.c_str(), nullptr, &storedType, stored.data(), &size) != ERROR_SUCCESS) {
        return false;
    }
    stored.resize(size);
    return storedType == type && stored == *expected;
}

LONG SetOpenKeyValue(HKEY key, std::wstring_view valueName, DWORD type, const RegistryValue& value) {
    std::wstring name(valueName);
    auto data = Encoded(type, value);
    if (!data) return ERROR_SUCCESS;  // any other type writes nothing
    if (data->size() > MAXDWORD) return ERROR_INVALID_PARAMETER;
    return g_api->setValue(key, name.c_str(), 0, type, data->data(), static_cast<DWORD>(data->size()));
}

}  // namespace inboxhop

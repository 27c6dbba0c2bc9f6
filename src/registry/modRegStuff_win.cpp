#include "registry/modRegStuff.h"

#include <string>

#include "base/scoped_win.h"

namespace inboxhop {

namespace {

const RegistryApi kSystemApi = {&::RegCreateKeyExW, &::RegOpenKeyExW, &::RegSetValueExW, &::RegCloseKey};

const RegistryApi* g_api = &kSystemApi;

// A key opened through the layer's calls is closed through them too, so that
// a stand-in sees every handle it gave out come back.
LONG CloseThroughLayer(HKEY key) { return g_api->closeKey(key); }
using LayerKey = Scoped<NullIsNone<HKEY, &CloseThroughLayer>>;

// The path as the registry is given it: without trailing backslashes, so
// that "A\B\" and "A\B" name the same key.
std::wstring KeyPath(std::wstring_view path) { return std::wstring(KeyPathWithoutTrailingBackslash(path)); }

}  // namespace

RegistryApiOverride::RegistryApiOverride(const RegistryApi& api) : previous_(g_api) { g_api = &api; }

RegistryApiOverride::~RegistryApiOverride() { g_api = previous_; }

LONG CreateRegistryKey(HKEY root, std::wstring_view path) {
    LayerKey key;
    DWORD disposition = 0;
    LONG status = g_api->createKey(root, KeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   kRegistryAccess, nullptr, key.put(), &disposition);
    if (status != ERROR_SUCCESS) key.release();  // nothing was opened
    return status;
}

LONG WriteRegistryValue(HKEY root, std::wstring_view path, std::wstring_view valueName, const RegistryValue& value,
                        DWORD type) {
    // The key is closed whatever the write does, a conversion failure
    // included.
    LayerKey key;
    LONG status = g_api->openKey(root, KeyPath(path).c_str(), 0, kRegistryAccess, key.put());
    if (status != ERROR_SUCCESS) {
        key.release();  // nothing was opened
        return status;
    }
    return SetOpenKeyValue(key.get(), valueName, type, value);
}

LONG SetOpenKeyValue(HKEY key, std::wstring_view valueName, DWORD type, const RegistryValue& value) {
    std::wstring name(valueName);
    if (type == REG_SZ) {
        std::wstring text = RegistryValueAsText(value);
        // The whole text and its terminating NUL.
        size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        if (bytes > MAXDWORD) return ERROR_INVALID_PARAMETER;
        return g_api->setValue(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(bytes));
    }
    if (type == REG_DWORD) {
        std::int32_t number = RegistryValueAsNumber(value);
        const auto bits = static_cast<std::uint32_t>(number);
        const BYTE data[4] = {static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8), static_cast<BYTE>(bits >> 16),
                              static_cast<BYTE>(bits >> 24)};
        return g_api->setValue(key, name.c_str(), 0, REG_DWORD, data, sizeof(data));
    }
    return ERROR_SUCCESS;
}

}  // namespace inboxhop

// The program's way into the registry: create a key, write one value into an
// existing key or an open key, and read keys and values back. Every operation
// opens at most one key and closes it again before it returns.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "registry/registry_data.h"

namespace inboxhop {

// Every create and open for writing asks for the key-specific rights only.
inline constexpr REGSAM kRegistryAccess =
    KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_CREATE_LINK;

// The rights asked for, in the view the 64-bit shell reads: on 64-bit Windows
// with KEY_WOW64_64KEY, since some keys (SOFTWARE\Clients on older systems,
// and on Wine) would otherwise land in a 32-bit copy the shell never reads.
REGSAM RegistryAccess();

// Creates the key and every missing key above it, in the shell's view or the
// program's own. A key that exists already is only opened: neither it nor its
// values change. Returns the registry's status (ERROR_SUCCESS when the key is
// there now); callers may ignore it.
LONG CreateRegistryKey(HKEY root, std::wstring_view path, bool shellView = true);

// Opens an existing key (never creates one) and writes one value into it.
// The empty value name is the key's default value. Returns the status of the
// open, or of the write when the open succeeded; callers may ignore it.
LONG WriteRegistryValue(HKEY root, std::wstring_view path, std::wstring_view valueName, const RegistryValue& value);

// Whether the key exists (in the shell's view, or the program's own), and
// whether it holds the value exactly as SetOpenKeyValue would store it. Both
// open the key for reading only, so they answer for users who may not write
// it.
bool RegistryKeyExists(HKEY root, std::wstring_view path, bool shellView = true);
bool RegistryValueEquals(HKEY root, std::wstring_view path, std::wstring_view valueName, const RegistryValue& value);

// Writes one value into an open key: text as REG_SZ, the whole text with its
// terminating NUL; a number as REG_DWORD. Returns the status of the write.
LONG SetOpenKeyValue(HKEY key, std::wstring_view valueName, const RegistryValue& value);

// Reads a text value, in the program's own view of the registry (or in the
// view the 64-bit shell reads, see RegistryAccess), into `text` up to its
// first NUL, and its type into `type` (`text` stays empty unless it is REG_SZ
// or REG_EXPAND_SZ). Answers the status of the open or the read.
LONG ReadRegistryText(HKEY root, std::wstring_view path, std::wstring_view name, std::wstring& text, DWORD& type,
                      bool shellView = false);

// Creates the key if needed and writes one value into it, in the program's
// own view of the registry (the installers' notes live there). Returns the
// registry's status; callers may ignore it.
LONG WriteOwnViewValue(HKEY root, std::wstring_view path, std::wstring_view valueName, const RegistryValue& value);

// Opens an existing key (never creates one) where the 64-bit shell reads it,
// and writes one text value of the given type: REG_SZ, or REG_EXPAND_SZ for
// text whose %VARIABLES% the shell expands. Returns the registry's status.
LONG WriteRegistryText(HKEY root, std::wstring_view path, std::wstring_view valueName, std::wstring_view text,
                       DWORD type);

// Reads a REG_DWORD value into `number`, in the program's own view or the
// shell's. Answers the status of the open or the read; a value of another
// type answers ERROR_INVALID_DATA.
LONG ReadRegistryNumber(HKEY root, std::wstring_view path, std::wstring_view name, DWORD& number,
                        bool shellView = false);

// A value exactly as stored: its type and its bytes.
struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;
};
// Reads a value of any type, in the program's own view or the shell's.
// Answers the status of the open or the read (ERROR_FILE_NOT_FOUND when the
// key or the value is missing).
LONG ReadStoredValue(HKEY root, std::wstring_view path, std::wstring_view name, StoredValue& value,
                     bool shellView = false);
// Opens an existing key (never creates one) and writes the value as given.
LONG WriteStoredValue(HKEY root, std::wstring_view path, std::wstring_view name, const StoredValue& value,
                      bool shellView = false);

// Deletes one value (the empty name: the default value), in the program's
// own view or the shell's. Answers the registry's status.
LONG DeleteRegistryValue(HKEY root, std::wstring_view path, std::wstring_view name, bool shellView = false);

// Deletes the key when it holds neither values nor keys, in the program's own
// view or the shell's: ERROR_SUCCESS when it is gone now, ERROR_DIR_NOT_EMPTY
// when something is left in it.
LONG DeleteEmptyRegistryKey(HKEY root, std::wstring_view path, bool shellView = false);

// The registry calls the layer makes. The system's own unless a test puts a
// stand-in in their place.
struct RegistryApi {
    decltype(&::RegCreateKeyExW) createKey;
    decltype(&::RegOpenKeyExW) openKey;
    decltype(&::RegSetValueExW) setValue;
    decltype(&::RegCloseKey) closeKey;
    decltype(&::RegQueryValueExW) queryValue;
    decltype(&::RegDeleteValueW) deleteValue = &::RegDeleteValueW;
    decltype(&::RegDeleteKeyExW) deleteKey = &::RegDeleteKeyExW;
    decltype(&::RegQueryInfoKeyW) queryInfo = &::RegQueryInfoKeyW;
};

// Puts `api` in place of the system's calls for the life of the object.
class RegistryApiOverride {
public:
    explicit RegistryApiOverride(const RegistryApi& api);
    ~RegistryApiOverride();
    RegistryApiOverride(const RegistryApiOverride&) = delete;
    RegistryApiOverride& operator=(const RegistryApiOverride&) = delete;

private:
    const RegistryApi* previous_;
};

}  // namespace inboxhop

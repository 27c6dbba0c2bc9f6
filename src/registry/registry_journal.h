// Registry changes that can be taken back. Each change made through the
// journal first notes what was there (a value's type and bytes, or that it
// was missing; the keys a create made; a key deleted while empty), so that
// Undo puts the registry back exactly as it was, newest change first. The
// changes themselves go through the registry layer (registry_access.h). The
// journal keeps the key paths and value names it is given, not copies: they
// must outlive it (the registration's table's do).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "registry/registry_access.h"

namespace inboxhop {

class RegistryJournal {
public:
    // As CreateRegistryKey: notes every key above and at `path` that the
    // create makes.
    LONG CreateKey(HKEY root, std::wstring_view path, bool shellView = true);
    // As WriteStoredValue: into an existing key, never creating it.
    LONG WriteValue(HKEY root, std::wstring_view path, std::wstring_view name, const StoredValue& value,
                    bool shellView = true);
    LONG WriteValue(HKEY root, std::wstring_view path, std::wstring_view name, const RegistryValue& value,
                    bool shellView = true);
    // As DeleteRegistryValue; a value that is not there is no change.
    LONG DeleteValue(HKEY root, std::wstring_view path, std::wstring_view name, bool shellView = true);
    // As DeleteEmptyRegistryKey.
    LONG DeleteEmptyKey(HKEY root, std::wstring_view path, bool shellView = true);

    // Puts back every change, newest first; answers whether all of it went
    // back. The journal is empty afterwards.
    bool Undo();
    bool empty() const { return changes_.empty(); }

private:
    struct Change {
        enum Kind { MadeKey, ChangedValue, DeletedKey } kind;
        HKEY root;
        std::wstring_view path;
        std::wstring_view name;  // ChangedValue
        bool shellView;
        bool existed = false;  // ChangedValue: the value was there, as `before`
        StoredValue before;
    };
    // Notes a value's state before it changes; answers the status of reading
    // it (ERROR_FILE_NOT_FOUND, when it is missing, is noted too).
    LONG NoteValue(HKEY root, std::wstring_view path, std::wstring_view name, bool shellView);

    std::vector<Change> changes_;
};

}  // namespace inboxhop

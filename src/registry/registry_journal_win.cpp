#include "registry/registry_journal.h"

namespace inboxhop {

LONG RegistryJournal::NoteValue(HKEY root, std::wstring_view path, std::wstring_view name, bool shellView) {
    Change change{Change::ChangedValue, root, path, name, shellView};
    const LONG status = ReadStoredValue(root, path, name, change.before, shellView);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return status;
    change.existed = status == ERROR_SUCCESS;
    changes_.push_back(std::move(change));
    return status;
}

LONG RegistryJournal::CreateKey(HKEY root, std::wstring_view path, bool shellView) {
    // The keys this create makes: from `path` up to the first that is there.
    std::vector<std::wstring_view> missing;
    for (std::wstring_view key = KeyPathWithoutTrailingBackslash(path); !key.empty();) {
        if (RegistryKeyExists(root, key, shellView)) break;
        missing.push_back(key);
        const size_t slash = key.find_last_of(L'\\');
        key = slash == std::wstring_view::npos ? std::wstring_view() : key.substr(0, slash);
    }
    const LONG status = CreateRegistryKey(root, path, shellView);
    // Noted even when the create failed part way: a key it made on the way
    // is taken away again (a key still missing is no change to undo).
    for (auto key = missing.rbegin(); key != missing.rend(); ++key) {
        if (RegistryKeyExists(root, *key, shellView)) changes_.push_back({Change::MadeKey, root, *key, {}, shellView});
    }
    return status;
}

LONG RegistryJournal::WriteValue(HKEY root, std::wstring_view path, std::wstring_view name, const StoredValue& value,
                                 bool shellView) {
    if (LONG read = NoteValue(root, path, name, shellView); read != ERROR_SUCCESS && read != ERROR_FILE_NOT_FOUND) {
        return read;
    }
    const LONG status = WriteStoredValue(root, path, name, value, shellView);
    if (status != ERROR_SUCCESS) changes_.pop_back();  // nothing changed
    return status;
}

LONG RegistryJournal::WriteValue(HKEY root, std::wstring_view path, std::wstring_view name,
                                 const RegistryValue& value, bool shellView) {
    return WriteValue(root, path, name, StoredValue{RegistryType(value), StoredBytes(value)}, shellView);
}

LONG RegistryJournal::DeleteValue(HKEY root, std::wstring_view path, std::wstring_view name, bool shellView) {
    StoredValue before;
    const LONG read = ReadStoredValue(root, path, name, before, shellView);
    if (read == ERROR_FILE_NOT_FOUND) return ERROR_FILE_NOT_FOUND;
    if (read != ERROR_SUCCESS) return read;
    changes_.push_back({Change::ChangedValue, root, path, name, shellView, true, std::move(before)});
    const LONG status = DeleteRegistryValue(root, path, name, shellView);
    if (status != ERROR_SUCCESS) changes_.pop_back();
    return status;
}

LONG RegistryJournal::DeleteEmptyKey(HKEY root, std::wstring_view path, bool shellView) {
    const bool existed = RegistryKeyExists(root, path, shellView);
    const LONG status = DeleteEmptyRegistryKey(root, path, shellView);
    if (status == ERROR_SUCCESS && existed) changes_.push_back({Change::DeletedKey, root, path, {}, shellView});
    return status;
}

bool RegistryJournal::Undo() {
    bool whole = true;
    for (auto change = changes_.rbegin(); change != changes_.rend(); ++change) {
        LONG status = ERROR_SUCCESS;
        switch (change->kind) {
        case Change::MadeKey:
            status = DeleteEmptyRegistryKey(change->root, change->path, change->shellView);
            // Another program's values in a key made here keep it.
            if (status == ERROR_DIR_NOT_EMPTY) status = ERROR_SUCCESS;
            break;
        case Change::DeletedKey:
            status = CreateRegistryKey(change->root, change->path, change->shellView);
            break;
        case Change::ChangedValue:
            if (change->existed) {
                status = WriteStoredValue(change->root, change->path, change->name, change->before, change->shellView);
            } else {
                status = DeleteRegistryValue(change->root, change->path, change->name, change->shellView);
                if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
            }
            break;
        }
        whole = whole && status == ERROR_SUCCESS;
    }
    changes_.clear();
    return whole;
}

}  // namespace inboxhop

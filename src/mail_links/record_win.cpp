#include "mail_links/record_store.h"

#include <initializer_list>
#include <utility>

#include "mail_links/registration_steps.h"
#include "registry/registry_access.h"

namespace inboxhop {

namespace {

// Writes values of the record, in order, into its key, made when missing, in
// the program's own view; stops at the first refusal.
LONG WriteRecordValues(RegistryJournal& journal, HKEY root,
                       std::initializer_list<std::pair<std::wstring_view, RegistryValue>> values) {
    LONG status = journal.CreateKey(root, kRecordKey, false);
    for (auto value = values.begin(); status == ERROR_SUCCESS && value != values.end(); ++value) {
        status = journal.WriteValue(root, kRecordKey, value->first, value->second, false);
    }
    return status;
}

bool IsOne(HKEY root, std::wstring_view name) {
    DWORD number = 0;
    return ReadRegistryNumber(root, kRecordKey, name, number) == ERROR_SUCCESS && number == 1;
}

}  // namespace

std::optional<MailtoCommand> ReadMailtoCommand(HKEY root) {
    MailtoCommand command;
    DWORD type = REG_NONE;
    if (ReadRegistryText(root, kMailtoCommandKey, L"", command.text, type, true) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    command.type = type;
    return command;
}

std::optional<MailtoCommand> ReadRecordedCommand(HKEY root) {
    StoredRecord stored;
    std::wstring text;
    DWORD type = REG_NONE, number = 0;
    if (ReadRegistryText(root, kRecordKey, kRecordCommand, text, type) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        stored.command = text;
    }
    if (ReadRegistryNumber(root, kRecordKey, kRecordCommandType, number) == ERROR_SUCCESS) stored.commandType = number;
    if (ReadRegistryNumber(root, kRecordKey, kRecordSaved, number) == ERROR_SUCCESS) stored.saved = number;
    return RecordedCommand(stored);
}

LONG RecordReplacedMailtoCommand(RegistryJournal& journal, HKEY root) {
    const std::optional<MailtoCommand> replaced = ReadMailtoCommand(root);
    if (!RecordsReplacedCommand(replaced)) return ERROR_SUCCESS;
    LONG status = journal.DeleteValue(root, kRecordKey, kRecordSaved, false);
    if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    return WriteRecordValues(journal, root,
                             {{kRecordCommand, replaced->text},
                              {kRecordCommandType, static_cast<std::int32_t>(replaced->type)},
                              {kRecordSaved, std::int32_t{1}}});
}

std::optional<MailtoClassNotes> ReadMailtoClassNotes() {
    if (!IsOne(HKEY_CURRENT_USER, kClassNotesSaved)) return std::nullopt;
    return MailtoClassNotes{IsOne(HKEY_CURRENT_USER, kClassMade), IsOne(HKEY_CURRENT_USER, kClassNameMade),
                            IsOne(HKEY_CURRENT_USER, kUrlProtocolMade)};
}

LONG NoteMailtoClass(RegistryJournal& journal) {
    const HKEY user = HKEY_CURRENT_USER;
    if (IsOne(user, kClassNotesSaved)) return ERROR_SUCCESS;
    const bool classThere = RegistryKeyExists(user, kMailtoClassKey);
    auto lacks = [&](std::wstring_view name) {
        std::wstring text;
        DWORD type = REG_NONE;
        return classThere && ReadRegistryText(user, kMailtoClassKey, name, text, type, true) == ERROR_FILE_NOT_FOUND;
    };
    // Each note 1 or 0; the mark last, so that notes cut short read as none.
    return WriteRecordValues(journal, user,
                             {{kClassMade, std::int32_t{!classThere}},
                              {kClassNameMade, std::int32_t{lacks(L"")}},
                              {kUrlProtocolMade, std::int32_t{lacks(kUrlProtocolValue)}},
                              {kClassNotesSaved, std::int32_t{1}}});
}

}  // namespace inboxhop

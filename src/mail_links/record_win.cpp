#include "mail_links/registration_steps.h"
#include "mail_links/removal.h"
#include "registry/registry_access.h"

namespace inboxhop {

std::optional<MailtoCommand> ReadMailtoCommand(HKEY root) {
    MailtoCommand command;
    DWORD type = REG_NONE;
    if (ReadRegistryText(root, kMailtoCommandKey, L"", command.text, type, true) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    command.type = type;
    return command;
}

bool RecordReplacedMailtoCommand(HKEY root) {
    const std::optional<MailtoCommand> replaced = ReadMailtoCommand(root);
    if (!RecordsReplacedCommand(replaced)) return true;
    const LONG unmarked = DeleteRegistryValue(root, kRecordKey, kRecordSaved);
    if (unmarked != ERROR_SUCCESS && unmarked != ERROR_FILE_NOT_FOUND) return false;
    return WriteOwnViewValue(root, kRecordKey, kRecordCommand, replaced->text) == ERROR_SUCCESS &&
           WriteOwnViewValue(root, kRecordKey, kRecordCommandType, static_cast<std::int32_t>(replaced->type)) ==
               ERROR_SUCCESS &&
           WriteOwnViewValue(root, kRecordKey, kRecordSaved, std::int32_t{1}) == ERROR_SUCCESS;
}

}  // namespace inboxhop

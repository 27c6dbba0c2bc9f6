#include "mail_links/record.h"

#include "mail_links/registration_steps.h"

namespace inboxhop {

bool RecordsReplacedCommand(const std::optional<MailtoCommand>& replaced) {
    return replaced && (replaced->type == kTextType || replaced->type == kExpandableTextType) &&
           !CommandProgram(replaced->text).empty() && !NamesInboxhop(replaced->text);
}

std::optional<MailtoCommand> RecordedCommand(const StoredRecord& stored) {
    if (stored.saved != 1u || !stored.commandType || !stored.command || stored.command->empty()) return std::nullopt;
    if (*stored.commandType != kTextType && *stored.commandType != kExpandableTextType) return std::nullopt;
    return MailtoCommand{*stored.command, *stored.commandType};
}

}  // namespace inboxhop

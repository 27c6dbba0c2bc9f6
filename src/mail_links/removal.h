// The mail-link record and the removal's give-back in the registry: the
// rules of mail_links/record.h applied through the registry layer
// (registry/registry_access.h). In the root given (HKEY_LOCAL_MACHINE or
// HKEY_CURRENT_USER), the mailto command is read and written where the
// 64-bit shell reads it, the record in the program's own view.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "mail_links/record.h"

namespace inboxhop {

// The folder in its full form, as the installers keep it: no "\\", "\.\"
// or trailing backslash (but a drive's own).
std::wstring FullFolderPath(std::wstring_view folder);

// The root's mailto command, when it is text.
std::optional<MailtoCommand> ReadMailtoCommand(HKEY root);

// Just before Inboxhop writes its own mailto command into the root: the
// command there now goes into the record when the rules say so. The mark is
// taken away first and written last, so that a record cut short reads as
// none. Answers whether the record was written (or needed no change).
bool RecordReplacedMailtoCommand(HKEY root);

// What a removal did: its plan, and the line saying so.
struct MailLinksGivenBack {
    RemovalPlan plan;
    std::wstring report;
};

// The removal of the installation in `folder` (its Inboxhop.exe may be gone
// already; the folder is still there): gives back the recorded command, or
// removes Inboxhop's, as PlanRemoval says; removes the record unless another
// copy of Inboxhop still holds the command; and removes every Default-apps
// key (the mail client, the ProgID, the registered application) whose
// command names this installation's program, in the shell's view and, on
// 64-bit Windows, in the program's own view too.
MailLinksGivenBack GiveBackMailLinks(HKEY root, std::wstring_view folder);

}  // namespace inboxhop

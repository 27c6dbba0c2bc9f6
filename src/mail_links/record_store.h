// The mail-link record and the notes on the user's mailto class in the
// registry: the rules of mail_links/record.h applied through the registry
// layer, each change through the caller's journal so that it can be taken
// back. In the root given (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER), the
// mailto command is read where the 64-bit shell reads it, the record and the
// notes in the program's own view.
#pragma once

#include <windows.h>

#include <optional>

#include "mail_links/record.h"
#include "registry/registry_journal.h"

namespace inboxhop {

// The root's mailto command, when it is text.
std::optional<MailtoCommand> ReadMailtoCommand(HKEY root);

// The root's recorded command; none when the record is missing, partial or
// malformed.
std::optional<MailtoCommand> ReadRecordedCommand(HKEY root);

// Just before Inboxhop writes its own mailto command into the root: the
// command there now goes into the record when the rules say so. The mark is
// taken away first and written last, so that a record cut short reads as
// none. Answers the registry's status (ERROR_SUCCESS also when no change was
// needed).
LONG RecordReplacedMailtoCommand(RegistryJournal& journal, HKEY root);

// What the current user's registration adds to the user's own mailto class,
// as noted the first time it was registered into.
struct MailtoClassNotes {
    bool classMade = false;        // there was no class: all of it is Inboxhop's
    bool nameMade = false;         // the class had no name
    bool urlProtocolMade = false;  // the class had no mark of a URL protocol
};
std::optional<MailtoClassNotes> ReadMailtoClassNotes();

// Before the current user's registration writes into the user's mailto
// class: notes, once, what the class lacks. Answers the registry's status.
LONG NoteMailtoClass(RegistryJournal& journal);

}  // namespace inboxhop

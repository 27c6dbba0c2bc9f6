// The removal of an installation's mail links: the undo of its registration,
// whole, as one transaction. The installers only call it (through
// RestoreMailLinks.dll) and log its one-line report.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "mail_links/record.h"

namespace inboxhop {

// The folder in its full form, as the installers keep it: no "\\", "\.\"
// or trailing backslash (but a drive's own).
std::wstring FullFolderPath(std::wstring_view folder);

// Whether two folders are one: the same folder on disk, whatever the
// spelling (another drive letter for the same drive, a short name); for
// folders not there yet, the same full, long path in any case.
bool SameFolder(std::wstring_view a, std::wstring_view b);

// What a removal did, or why it did nothing.
struct MailLinksRemoved {
    // False when the mailto command (or another key that names the program)
    // could not be put back or removed: then nothing was changed.
    bool done = true;
    std::wstring report;  // one line, for the installers' logs
};

// Removes the mail links of the installation in `folder` (its Inboxhop.exe
// may be gone already; the folder is still there) from each root given:
// puts back the recorded command, or removes Inboxhop's, as PlanRemoval
// says; for the current user, takes away what the registration added to the
// user's mailto class; removes the record unless another copy of Inboxhop
// still holds the command; and removes every Default-apps key (the mail
// client, the ProgID, the registered application) whose command names this
// installation's program, in the shell's view and, on 64-bit Windows, in the
// program's own view too. All of it or nothing: when any of it is refused,
// everything is put back as it was.
MailLinksRemoved RemoveMailLinks(std::initializer_list<HKEY> roots, std::wstring_view folder);

}  // namespace inboxhop

// The end of a mail-link hand-off: the shell opens the compose address.
#pragma once

#include <windows.h>

#include <string_view>

namespace inboxhop {

// Hands a compose link to the shell, which opens it with the handler of its
// scheme; the program does not wait for that handler. Throws Failure with
// the system's description when the shell cannot open it (no program for
// the scheme, or one that cannot be started), so that the person who
// followed the mail link is told.
void OpenComposeLink(HWND owner, std::wstring_view link);

}  // namespace inboxhop

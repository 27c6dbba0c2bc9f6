// The end of a mail-link hand-off: the shell opens the compose address.
#pragma once

#include <windows.h>

#include <string_view>

namespace inboxhop {

// Hands a compose link to the shell, which opens it with the handler of its
// scheme. Fire and forget: the result is not examined.
void OpenComposeLink(HWND owner, std::wstring_view link);

}  // namespace inboxhop

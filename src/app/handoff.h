// The mail-link hand-off: clean the link, build the chosen service's
// compose address, have the shell open it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace inboxhop {

class Trap;

// Hands a compose link to the shell, which opens it with the handler of its
// scheme. Fire and forget: the result is not examined.
void OpenComposeLink(HWND owner, std::wstring_view link);

// Runs the hand-off steps under the start-up's trap. The program is to end
// when it returns, without showing its window.
void HandOffMailLink(Trap& trap, HWND owner, std::wstring_view choice, std::wstring commandText);

}  // namespace inboxhop

// Windows 8 and later let the user, not programs, choose who opens mail
// links (Default apps). After the press has registered Inboxhop there, these
// are the texts and the pages that lead the user to that choice. Pure text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace inboxhop {

// Where the choice is made, best first.
enum class DefaultAppsPage {
    Windows11Settings,  // Settings, Default apps, opened at Inboxhop's own entry
    Windows10Settings,  // Settings, Default apps
    AssociationWindow,  // Control Panel's Default Programs, at Inboxhop's entry
};

// Windows 11 opens the page at an application registered for the machine, or
// for the user alone.
inline constexpr std::wstring_view kWindows11Page = L"ms-settings:defaultapps?registeredAppMachine=Inboxhop";
inline constexpr std::wstring_view kWindows11UserPage = L"ms-settings:defaultapps?registeredAppUser=Inboxhop";
inline constexpr std::wstring_view kWindows10Page = L"ms-settings:defaultapps";

// The pages to try for this version of Windows, best first: each one down
// the list is the one to try when the one before cannot be opened.
std::vector<DefaultAppsPage> DefaultAppsPages(unsigned long major, unsigned long build);

// Whether an open command starts `executablePath` (quoted or not, letter
// case aside).
bool CommandStartsProgram(std::wstring_view command, std::wstring_view executablePath);

// The question shown when another program still opens the user's mail links.
std::wstring OtherHandlerQuestion(std::wstring_view handlerName);

// Shown when no page could be opened.
inline constexpr std::wstring_view kChooseByHandMessage =
    L"The Default apps page could not be opened. To have mail links open with Inboxhop, choose it for "
    L"MAILTO in Settings > Apps > Default apps (Windows 10 and 11), or in Control Panel > Default Programs > "
    L"Set your default programs (Windows 8 and earlier).";

}  // namespace inboxhop

// Asking Windows who opens this user's mail links, and opening the page
// where the user chooses.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace inboxhop {

// Tells the shell that associations changed, as it asks after they do.
void AnnounceAssociationChange();

// The name of the program that opens this user's mail links when it is not
// Inboxhop in `programFolder`: its class's friendly name, or its ProgID.
// Nothing when no choice was made or the choice starts Inboxhop.
std::optional<std::wstring> OtherMailHandler(std::wstring_view programFolder);

// Opens the first page of Default apps that this Windows can open, at
// Inboxhop's entry for the machine or, `forCurrentUser`, for this user.
// False when none opened.
bool OpenDefaultAppsPage(bool forCurrentUser);

}  // namespace inboxhop

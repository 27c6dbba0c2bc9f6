// Turning a mail link into a web-mail compose address. Pure text: no Windows
// headers, so it is unit-tested natively.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/services.h"

namespace inboxhop {

// Cleans a mail link into the recipient text: removes every "mailto:"
// (any letter case, one left-to-right pass), then every double quote, then
// spaces at both ends. Other white space stays.
std::wstring CleanMailArgument(std::wstring_view text);

// The service's compose address around `recipient`, enclosed in double
// quotes.
std::wstring BuildComposeLink(const Service& service, std::wstring_view recipient);
// The same for the service whose code is `choice`; nothing when the choice
// is not one of the four service codes.
std::optional<std::wstring> BuildComposeLink(std::wstring_view choice, std::wstring_view recipient);

}  // namespace inboxhop

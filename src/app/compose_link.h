// Turning a mail link into a web-mail compose address. Pure text: no Windows
// headers, so it is unit-tested natively.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace inboxhop {

// Web hosts of the four services, each a bare host name.
inline constexpr std::wstring_view kGmailHost = L"mail.google.com";
inline constexpr std::wstring_view kYahooComposeHost = L"compose.mail.yahoo.com";
inline constexpr std::wstring_view kHotmailHost = L"mail.live.com";
inline constexpr std::wstring_view kAolHost = L"mail.aol.com";

// The fixed text around the recipient in one service's compose address.
struct ComposeTemplate {
    std::wstring_view code;    // service code, "1" to "4"
    int line;                  // the hand-off's step number for this service
    std::wstring_view scheme;  // "https://" or "http://"
    std::wstring_view host;
    std::wstring_view path;    // path and query up to the recipient
    std::wstring_view after;   // text after the recipient (may be empty)
};

// The four services in the order their codes are tested.
const ComposeTemplate* ComposeTemplates();  // array of kServiceCount
inline constexpr int kServiceCount = 4;

// The template whose code equals `choice` exactly, or nullptr.
const ComposeTemplate* FindComposeTemplate(std::wstring_view choice);

// Cleans a mail link into the recipient text: removes every "mailto:"
// (any letter case, one left-to-right pass), then every double quote, then
// spaces at both ends. Other white space stays.
std::wstring CleanMailArgument(std::wstring_view text);

// The compose address for `choice` around `recipient`, enclosed in double
// quotes; nothing when the choice is not one of the four service codes.
std::optional<std::wstring> BuildComposeLink(std::wstring_view choice, std::wstring_view recipient);

}  // namespace inboxhop

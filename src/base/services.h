// The four web-mail services, in one table: the code the settings store
// keeps, the service button's caption, and the compose address around the
// recipient. Pure text.
#pragma once

#include <string_view>

namespace inboxhop {

struct Service {
    std::wstring_view code;     // "1" to "4", compared as exact text
    std::wstring_view caption;  // the service button's caption, leading blanks included
    // The compose address: scheme, host and path up to the recipient, then
    // the text after it (may be empty).
    std::wstring_view scheme;
    std::wstring_view host;
    std::wstring_view path;
    std::wstring_view after;
};

inline constexpr int kServiceCount = 4;

inline constexpr Service kServices[kServiceCount] = {
    {L"1", L"Gmail", L"https://", L"mail.google.com", L"/mail/?view=cm&tf=0&to=", L"&su=&fs=1"},
    {L"2", L" Yahoo! Mail", L"http://", L"compose.mail.yahoo.com", L"/?To=", L"&subj="},
    {L"3", L" Windows Live Hotmail", L"http://", L"mail.live.com", L"/default.aspx?rru=compose?to=", L""},
    {L"4", L"AOL Mail", L"http://", L"mail.aol.com", L"/30361-111/aol-1/en-us/compose-message.aspx?to=", L"&subject="},
};

// The service whose code equals `choice` exactly, or nullptr.
const Service* FindService(std::wstring_view choice);

}  // namespace inboxhop

// The registry values that register the program at a path as the mail-link handler, as the press
// and the installer must write them below HKEY_LOCAL_MACHINE. Written out here, not taken from the
// product's key table, so that a wrong key in that table shows.
#pragma once

#include <string>
#include <vector>

#include "registry_scratch.h"

namespace testing_support {

struct ExpectedValue {
    std::wstring key;
    std::wstring name;  // empty: the default value
    RawValue value;
};

// The mailto command and the mail client's keys.
inline std::vector<ExpectedValue> MailHandlerValues(const std::wstring& program) {
    const std::wstring client = L"SOFTWARE\\Clients\\Mail\\Inboxhop";
    const RawValue linkCommand = TextValue(L"\"" + program + L"\" \"%1\"");
    return {
        {L"SOFTWARE\\Classes\\mailto\\shell\\open\\command", L"", linkCommand},
        {client, L"", TextValue(L"Inboxhop")},
        {client + L"\\Protocols\\mailto\\shell\\open\\command", L"", linkCommand},
        {client + L"\\Shell\\open\\command", L"", TextValue(L"\"" + program + L"\"")},
    };
}

// What Default apps reads: the ProgID, the capabilities and the registered application.
inline std::vector<ExpectedValue> DefaultAppsValues(const std::wstring& program) {
    const std::wstring progId = L"SOFTWARE\\Classes\\Inboxhop.mailto";
    const std::wstring capabilities = L"SOFTWARE\\Clients\\Mail\\Inboxhop\\Capabilities";
    const RawValue icon = TextValue(program + L",0");
    return {
        {progId, L"", TextValue(L"Inboxhop mail link")},
        {progId, L"FriendlyTypeName", TextValue(L"Inboxhop mail link")},
        {progId, L"EditFlags", NumberValue(2)},
        {progId + L"\\DefaultIcon", L"", icon},
        {progId + L"\\shell\\open\\command", L"", TextValue(L"\"" + program + L"\" \"%1\"")},
        {capabilities, L"ApplicationName", TextValue(L"Inboxhop")},
        {capabilities, L"ApplicationDescription", TextValue(L"Opens mail links in the web-mail service you choose.")},
        {capabilities, L"ApplicationIcon", icon},
        {capabilities + L"\\URLAssociations", L"mailto", TextValue(L"Inboxhop.mailto")},
        {L"SOFTWARE\\RegisteredApplications", L"Inboxhop", TextValue(capabilities)},
    };
}

}  // namespace testing_support

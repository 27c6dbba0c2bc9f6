#include "registration_values.h"

namespace testing_support {

namespace {

const std::wstring kProgId = L"SOFTWARE\\Classes\\Inboxhop.mailto";
const std::wstring kClient = L"SOFTWARE\\Clients\\Mail\\Inboxhop";
const std::wstring kCapabilities = kClient + L"\\Capabilities";

std::wstring LinkCommand(const std::wstring& program) { return L"\"" + program + L"\" \"%1\""; }

}  // namespace

std::vector<ExpectedValue> MailHandlerValues(const std::wstring& program) {
    return {
        {L"SOFTWARE\\Classes\\mailto\\shell\\open\\command", L"", TextValue(LinkCommand(program))},
        {kClient, L"", TextValue(L"Inboxhop")},
        {kClient + L"\\Protocols\\mailto\\shell\\open\\command", L"", TextValue(LinkCommand(program))},
        {kClient + L"\\Shell\\open\\command", L"", TextValue(L"\"" + program + L"\"")},
    };
}

std::vector<ExpectedValue> DefaultAppsValues(const std::wstring& program) {
    const std::wstring icon = program + L",0";
    return {
        {kProgId, L"", TextValue(L"Inboxhop mail link")},
        {kProgId, L"FriendlyTypeName", TextValue(L"Inboxhop mail link")},
        {kProgId, L"EditFlags", NumberValue(2)},
        {kProgId + L"\\DefaultIcon", L"", TextValue(icon)},
        {kProgId + L"\\shell\\open\\command", L"", TextValue(LinkCommand(program))},
        {kCapabilities, L"ApplicationName", TextValue(L"Inboxhop")},
        {kCapabilities, L"ApplicationDescription", TextValue(L"Opens mail links in the web-mail service you choose.")},
        {kCapabilities, L"ApplicationIcon", TextValue(icon)},
        {kCapabilities + L"\\URLAssociations", L"mailto", TextValue(L"Inboxhop.mailto")},
        {L"SOFTWARE\\RegisteredApplications", L"Inboxhop", TextValue(kCapabilities)},
    };
}

}  // namespace testing_support

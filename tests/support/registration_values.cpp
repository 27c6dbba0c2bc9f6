#include "registration_values.h"

#include "installation_traces.h"

namespace testing_support {

std::vector<ExpectedValue> MailHandlerValues(const std::wstring& program) {
    const RawValue linkCommand = TextValue(L"\"" + program + L"\" \"%1\"");
    return {
        {kMailtoCommandKey, L"", linkCommand},
        {kClientKey, L"", TextValue(L"Inboxhop")},
        {kClientKey + L"\\Protocols\\mailto\\shell\\open\\command", L"", linkCommand},
        {kClientKey + L"\\Shell\\open\\command", L"", TextValue(L"\"" + program + L"\"")},
    };
}

std::vector<ExpectedValue> DefaultAppsValues(const std::wstring& program) {
    const RawValue icon = TextValue(program + L",0");
    return {
        {kProgIdKey, L"", TextValue(L"Inboxhop mail link")},
        {kProgIdKey, L"FriendlyTypeName", TextValue(L"Inboxhop mail link")},
        {kProgIdKey, L"EditFlags", NumberValue(2)},
        {kProgIdKey + L"\\DefaultIcon", L"", icon},
        {kProgIdKey + L"\\shell\\open\\command", L"", TextValue(L"\"" + program + L"\" \"%1\"")},
        {kCapabilities, L"ApplicationName", TextValue(L"Inboxhop")},
        {kCapabilities, L"ApplicationDescription", TextValue(L"Opens mail links in the web-mail service you choose.")},
        {kCapabilities, L"ApplicationIcon", icon},
        {kCapabilities + L"\\URLAssociations", L"mailto", TextValue(L"Inboxhop.mailto")},
        {kRegisteredApps, L"Inboxhop", TextValue(kCapabilities)},
    };
}

}  // namespace testing_support

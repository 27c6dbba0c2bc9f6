#include "app/procedure_steps.h"

#include <vector>

namespace inboxhop {

namespace {

using enum KeyAction;

constexpr HandlerStep kSteps[] = {
    {104, Write, kLocalMachineRoot, kMailtoCommandKey, KeyValue::LinkCommand},
    {106, Create, kLocalMachineRoot, L"SOFTWARE\\Clients\\Mail\\Inboxhop\\", KeyValue::None},
    {108, Write, kLocalMachineRoot, kClientKey, KeyValue::ProductTitle},
    {110, Create, kLocalMachineRoot, L"SOFTWARE\\Clients\\Mail\\Inboxhop\\Protocols\\mailto\\shell\\open\\command\\",
     KeyValue::None},
    {112, Write, kLocalMachineRoot, kClientProtocolCommandKey, KeyValue::LinkCommand},
    {114, Create, kLocalMachineRoot, L"SOFTWARE\\Clients\\Mail\\Inboxhop\\Shell\\open\\command\\", KeyValue::None},
    {116, Write, kLocalMachineRoot, kClientShellCommandKey, KeyValue::PlainCommand},
    // The Default-apps registration.
    {118, Create, kLocalMachineRoot, L"SOFTWARE\\Classes\\Inboxhop.mailto\\", KeyValue::None},
    {120, Write, kLocalMachineRoot, kProgIdKey, KeyValue::Text, L"", kProgIdName},
    {120, Write, kLocalMachineRoot, kProgIdKey, KeyValue::Text, L"FriendlyTypeName", kProgIdName},
    {120, Write, kLocalMachineRoot, kProgIdKey, KeyValue::Number, L"EditFlags", L"", 2},
    {122, Create, kLocalMachineRoot, L"SOFTWARE\\Classes\\Inboxhop.mailto\\DefaultIcon\\", KeyValue::None},
    {122, Write, kLocalMachineRoot, kProgIdIconKey, KeyValue::IconPath},
    {124, Create, kLocalMachineRoot, L"SOFTWARE\\Classes\\Inboxhop.mailto\\shell\\open\\command\\", KeyValue::None},
    {124, Write, kLocalMachineRoot, kProgIdCommandKey, KeyValue::LinkCommand},
    {126, Create, kLocalMachineRoot, L"SOFTWARE\\Clients\\Mail\\Inboxhop\\Capabilities\\", KeyValue::None},
    {126, Write, kLocalMachineRoot, kCapabilitiesKey, KeyValue::ProductTitle, L"ApplicationName"},
    {126, Write, kLocalMachineRoot, kCapabilitiesKey, KeyValue::Text, L"ApplicationDescription",
     kApplicationDescription},
    {126, Write, kLocalMachineRoot, kCapabilitiesKey, KeyValue::IconPath, L"ApplicationIcon"},
    {128, Create, kLocalMachineRoot, L"SOFTWARE\\Clients\\Mail\\Inboxhop\\Capabilities\\URLAssociations\\",
     KeyValue::None},
    {128, Write, kLocalMachineRoot, kUrlAssociationsKey, KeyValue::Text, L"mailto", kProgId},
    {130, Create, kLocalMachineRoot, L"SOFTWARE\\RegisteredApplications\\", KeyValue::None},
    {130, Write, kLocalMachineRoot, kRegisteredApplicationsKey, KeyValue::Text, L"Inboxhop", kCapabilitiesKey},
};

}  // namespace

std::span<const HandlerStep> MachineRegistrationSteps() { return kSteps; }

std::span<const HandlerStep> CurrentUserRegistrationSteps() {
    static const std::vector<HandlerStep> steps = [] {
        std::vector<HandlerStep> user = {
            {104, Create, kCurrentUserRoot, L"SOFTWARE\\Classes\\mailto\\", KeyValue::None},
            {104, Write, kCurrentUserRoot, kMailtoClassKey, KeyValue::Text, L"", kMailtoClassName},
            {104, Write, kCurrentUserRoot, kMailtoClassKey, KeyValue::Text, L"URL Protocol", L""},
            {104, Create, kCurrentUserRoot, L"SOFTWARE\\Classes\\mailto\\shell\\open\\command\\", KeyValue::None},
        };
        for (HandlerStep step : kSteps) {
            step.root = kCurrentUserRoot;
            user.push_back(step);
        }
        return user;
    }();
    return steps;
}

}  // namespace inboxhop

#include "registry/mail_handler_keys.h"

#include <algorithm>
#include <cwctype>

#include "base/failure.h"
#include "base/product.h"
#include "registry/registry_data.h"

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

std::wstring_view RootName(std::uint32_t root) {
    switch (root) {
    case kClassesRoot:
        return L"HKEY_CLASSES_ROOT";
    case kCurrentUserRoot:
        return L"HKEY_CURRENT_USER";
    case kLocalMachineRoot:
        return L"HKEY_LOCAL_MACHINE";
    default:
        return L"HKEY";
    }
}

// Key names are compared as the registry compares them: without regard to
// case.
bool SameKeyName(std::wstring_view a, std::wstring_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

}  // namespace

std::wstring ExecutablePath(std::wstring_view programFolder) {
    std::wstring path(programFolder);
    path += L'\\';
    path += kProductTitle;
    path += L".exe";
    return path;
}

std::wstring LinkCommand(std::wstring_view programFolder) {
    return L"\"" + ExecutablePath(programFolder) + L"\" \"%1\"";
}

std::wstring PlainCommand(std::wstring_view programFolder) { return L"\"" + ExecutablePath(programFolder) + L"\""; }

std::wstring IconPath(std::wstring_view programFolder) { return ExecutablePath(programFolder) + L",0"; }

std::span<const HandlerStep> MailHandlerSteps() { return kSteps; }

bool IsOnlyWrittenInto(std::uint32_t root, std::wstring_view path) {
    std::wstring_view key = KeyPathWithoutTrailingBackslash(path);
    for (const HandlerStep& step : kSteps) {
        if (step.action == KeyAction::Create && step.root == root &&
            SameKeyName(KeyPathWithoutTrailingBackslash(step.path), key)) {
            return false;
        }
    }
    return true;
}

bool UsesProgramFolder(KeyValue value) {
    return value == KeyValue::LinkCommand || value == KeyValue::PlainCommand || value == KeyValue::IconPath;
}

std::wstring ValueText(const HandlerStep& step, std::wstring_view programFolder) {
    switch (step.value) {
    case KeyValue::LinkCommand:
        return LinkCommand(programFolder);
    case KeyValue::PlainCommand:
        return PlainCommand(programFolder);
    case KeyValue::IconPath:
        return IconPath(programFolder);
    case KeyValue::ProductTitle:
        return std::wstring(kProductTitle);
    case KeyValue::Text:
        return std::wstring(step.text);
    case KeyValue::Number:
        return DecimalText(step.number);
    case KeyValue::None:
        break;
    }
    return std::wstring();
}

std::wstring FullKeyName(std::uint32_t root, std::wstring_view path) {
    std::wstring name(RootName(root));
    std::wstring_view rest = KeyPathWithoutTrailingBackslash(path);
    if (!rest.empty()) {
        name += L'\\';
        name += rest;
    }
    return name;
}

void RegistrationOutcome::Refused(std::uint32_t root, std::wstring_view path, std::wstring reason,
                                  bool missingClass) {
    std::wstring key = FullKeyName(root, path);
    for (const RefusedKey& seen : refused_) {
        if (SameKeyName(seen.key, key)) return;
    }
    refused_.push_back({std::move(key), std::move(reason), missingClass});
}

std::wstring RegistrationWarningText(const std::vector<RefusedKey>& refused) {
    std::wstring text(kProductTitle);
    text += L" could not be registered as the mail handler. These registry keys were refused:\r\n";
    bool rightsMayHelp = false;
    for (const RefusedKey& entry : refused) {
        text += L"\r\n";
        text += entry.key;
        text += L"\r\n    ";
        if (entry.missingClass) {
            text += L"The key does not exist: this machine has no mailto class to register ";
            text += kProductTitle;
            text += L" into.";
        } else {
            text += entry.reason;
            rightsMayHelp = true;
        }
    }
    if (!rightsMayHelp) return text;
    text += L"\r\n\r\nStart ";
    text += kProductTitle;
    text += L" as administrator (right-click it and choose \"Run as administrator\") and press the button again.";
    return text;
}

}  // namespace inboxhop

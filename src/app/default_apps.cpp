#include "app/default_apps.h"

#include "mail_links/registration_steps.h"

namespace inboxhop {

std::vector<DefaultAppsPage> DefaultAppsPages(unsigned long major, unsigned long build) {
    using enum DefaultAppsPage;
    if (major >= 10 && build >= 22000) return {Windows11Settings, Windows10Settings, AssociationWindow};
    if (major >= 10) return {Windows10Settings, AssociationWindow};
    return {AssociationWindow};
}

bool CommandStartsProgram(std::wstring_view command, std::wstring_view executablePath) {
    return NamesExecutable(command, executablePath);
}

std::wstring OtherHandlerQuestion(std::wstring_view handlerName) {
    std::wstring text = L"Inboxhop is registered as a mail handler.\r\n\r\nWindows still opens mail links with ";
    text += handlerName;
    text += L" until you choose Inboxhop for them in Default apps.\r\n\r\nOpen Default apps now?";
    return text;
}

}  // namespace inboxhop

#include "app/default_apps.h"

#include <algorithm>
#include <cwctype>

namespace inboxhop {

std::vector<DefaultAppsPage> DefaultAppsPages(unsigned long major, unsigned long build) {
    using enum DefaultAppsPage;
    if (major >= 10 && build >= 22000) return {Windows11Settings, Windows10Settings, AssociationWindow};
    if (major >= 10) return {Windows10Settings, AssociationWindow};
    return {AssociationWindow};
}

bool CommandStartsProgram(std::wstring_view command, std::wstring_view executablePath) {
    while (!command.empty() && (command.front() == L' ' || command.front() == L'\t')) command.remove_prefix(1);
    std::wstring_view program;
    if (!command.empty() && command.front() == L'"') {
        size_t close = command.find(L'"', 1);
        program = command.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1);
    } else {
        // Unquoted, the path may still hold blanks: compare its beginning,
        // which must end where the command's program name ends.
        program = command.substr(0, executablePath.size());
        if (command.size() > program.size() && command[program.size()] != L' ' && command[program.size()] != L'\t') {
            return false;
        }
    }
    return std::equal(program.begin(), program.end(), executablePath.begin(), executablePath.end(),
                      [](wchar_t a, wchar_t b) { return std::towupper(a) == std::towupper(b); });
}

std::wstring OtherHandlerQuestion(std::wstring_view handlerName) {
    std::wstring text = L"Inboxhop is registered as a mail handler.\r\n\r\nWindows still opens mail links with ";
    text += handlerName;
    text += L" until you choose Inboxhop for them in Default apps.\r\n\r\nOpen Default apps now?";
    return text;
}

}  // namespace inboxhop

#include "app/default_apps.h"

#include <gtest/gtest.h>

namespace inboxhop {
namespace {

TEST(DefaultAppsPages, EachWindowsTriesItsOwnPageFirstThenTheOnesBelow) {
    using enum DefaultAppsPage;
    const struct {
        const char* what;
        unsigned long major, build;
        std::vector<DefaultAppsPage> pages;
    } cases[] = {
        {"Windows 11", 10, 22000, {Windows11Settings, Windows10Settings, AssociationWindow}},
        {"Windows 11 23H2", 10, 22631, {Windows11Settings, Windows10Settings, AssociationWindow}},
        {"Windows 10", 10, 19045, {Windows10Settings, AssociationWindow}},
        {"Windows 8.1", 6, 9600, {AssociationWindow}},
        {"Windows 7", 6, 7601, {AssociationWindow}},
    };
    for (const auto& c : cases) EXPECT_EQ(DefaultAppsPages(c.major, c.build), c.pages) << c.what;
}

TEST(CommandStartsProgram, MatchesTheProgramQuotedOrNotWhateverItsLetterCase) {
    const std::wstring_view exe = L"C:\\Program Files\\Inboxhop\\Inboxhop.exe";
    const struct {
        const wchar_t* command;
        bool starts;
    } cases[] = {
        {L"\"C:\\Program Files\\Inboxhop\\Inboxhop.exe\" \"%1\"", true},
        {L"\"c:\\program files\\inboxhop\\INBOXHOP.EXE\" %1", true},
        {L"C:\\Program Files\\Inboxhop\\Inboxhop.exe %1", true},
        {L"C:\\Program Files\\Inboxhop\\Inboxhop.exe", true},
        {L"\"C:\\Program Files\\Inboxhop\\Inboxhop.exe.bak\" \"%1\"", false},
        {L"C:\\Program Files\\Inboxhop\\Inboxhop.exes %1", false},
        {L"\"C:\\Other\\Inboxhop.exe\" \"%1\"", false},
        {L"\"C:\\Program Files\\Mail\\mail.exe\" /mailurl:%1", false},
        {L"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommandStartsProgram(c.command, exe), c.starts) << testing::PrintToString(std::wstring(c.command));
    }
}

TEST(OtherHandlerQuestion, NamesTheHandlerAndAsksToOpenDefaultApps) {
    EXPECT_EQ(OtherHandlerQuestion(L"Mail"),
              L"Inboxhop is registered as a mail handler.\r\n\r\nWindows still opens mail links with Mail until you "
              L"choose Inboxhop for them in Default apps.\r\n\r\nOpen Default apps now?");
}

}  // namespace
}  // namespace inboxhop

#include "mail_links/registration_steps.h"

#include <gtest/gtest.h>

#include <utility>

namespace inboxhop {
namespace {

TEST(MailHandlerCommands, NameInboxhopExeInTheFolderInsideQuotes) {
    EXPECT_EQ(LinkCommand(L"C:\\Program Files\\Mail Tools"), L"\"C:\\Program Files\\Mail Tools\\Inboxhop.exe\" \"%1\"");
    EXPECT_EQ(PlainCommand(L"C:\\Program Files\\Mail Tools"), L"\"C:\\Program Files\\Mail Tools\\Inboxhop.exe\"");
    // Text the ANSI code page cannot hold stays as it is.
    EXPECT_EQ(PlainCommand(L"D:\\\u041f\u043e\u0447\u0442\u0430 \u90ae\u4ef6"),
              L"\"D:\\\u041f\u043e\u0447\u0442\u0430 \u90ae\u4ef6\\Inboxhop.exe\"");
}

TEST(MailHandlerCommands, TellACommandOfInboxhopsOwnFromAnothers) {
    for (const wchar_t* command : {L"\"C:\\Program Files\\Inboxhop\\Inboxhop.exe\" \"%1\"", L"  \"inboxhop.EXE\"",
                                   L"C:\\Mail Tools\\Inboxhop.exe %1", L"D:/x/INBOXHOP.EXE"}) {
        EXPECT_TRUE(NamesInboxhop(command)) << command;
    }
    for (const wchar_t* command : {L"\"C:\\Other\\Mail.exe\" \"C:\\Inboxhop.exe\"", L"C:\\MyInboxhop.exe %1",
                                   L"C:\\Mail.exe Inboxhop.exe", L"\"C:\\Inboxhop.exe.bak\"", L""}) {
        EXPECT_FALSE(NamesInboxhop(command)) << command;
    }
}

// The program a command starts, which the record's rules and the removal look at.
TEST(MailHandlerCommands, TakeTheProgramQuotedOrUpToAnExeThatEndsAWord) {
    const std::pair<const wchar_t*, const wchar_t*> rows[] = {
        {L" \t\"C:\\Mail Tools\\m.cmd\" %1", L"C:\\Mail Tools\\m.cmd"},
        {L"\"C:\\unclosed %1", L"C:\\unclosed %1"},
        {L"C:\\Mail Tools\\M.EXE\t/x %1", L"C:\\Mail Tools\\M.EXE"},
        {L"C:\\Mail.exe.bak Tools\\m.exe", L"C:\\Mail.exe.bak Tools\\m.exe"},
        {L"C:\\Mail\\m.cmd\t%1", L"C:\\Mail\\m.cmd"},
        {L"  ", L""},
    };
    for (auto [command, program] : rows) EXPECT_EQ(CommandProgram(command), program) << testing::PrintToString(command);
    EXPECT_EQ(FullKeyName(kCurrentUserRoot, L"SOFTWARE\\Classes\\"), L"HKEY_CURRENT_USER\\SOFTWARE\\Classes");
    EXPECT_EQ(FullKeyName(kLocalMachineRoot, L""), L"HKEY_LOCAL_MACHINE");
}

TEST(RegistrationOutcome, ListsEachRefusedKeyOnceWithItsFirstReason) {
    RegistrationOutcome outcome;
    EXPECT_TRUE(outcome.complete());
    outcome.Refused(kLocalMachineRoot, kMailtoCommandKey, L"The system cannot find the file specified.");
    outcome.Refused(kLocalMachineRoot, L"SOFTWARE\\Clients\\Mail\\Inboxhop\\", L"Access is denied.");
    // The write after a refused create fails for another reason; the create's reason is the one that explains it.
    outcome.Refused(kLocalMachineRoot, L"software\\clients\\mail\\INBOXHOP",
                    L"The system cannot find the file specified.");
    EXPECT_FALSE(outcome.complete());
    ASSERT_EQ(outcome.refused().size(), 2u);
    EXPECT_EQ(outcome.refused()[0].key, L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\mailto\\shell\\open\\command");
    EXPECT_EQ(outcome.refused()[0].reason, L"The system cannot find the file specified.");
    EXPECT_EQ(outcome.refused()[1].key, L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Clients\\Mail\\Inboxhop");
    EXPECT_EQ(outcome.refused()[1].reason, L"Access is denied.");
}

// The press falls back to the user when administrator rights would have done: some key was refused for want of them,
// and any other key was the machine's missing mailto class, which the user's own registration brings. Each letter is
// a refused key: D for want of rights, M a missing class, O another reason.
TEST(RegistrationOutcome, FallsBackToTheUserOnlyWhenRightsWouldHaveDone) {
    const std::pair<const wchar_t*, bool> rows[] = {{L"", false},  {L"DD", true},  {L"MD", true}, {L"DM", true},
                                                    {L"M", false}, {L"DO", false}, {L"OD", false}};
    for (auto [keys, fallBack] : rows) {
        RegistrationOutcome outcome;
        for (const wchar_t* key = keys; *key; ++key) {
            outcome.Refused(kLocalMachineRoot, std::wstring(L"K") + key + std::to_wstring(key - keys), L"x",
                            *key == L'M', *key == L'D');
        }
        EXPECT_EQ(outcome.RefusedForWantOfRights(), fallBack) << keys;
    }
}

// The machine's mailto class is only written into; the user's own is created whole, so its absence is no missing class.
TEST(RegistrationSteps, OnlyTheMachinesMailtoCommandKeyIsOnlyWrittenInto) {
    const std::wstring commandKey(kMailtoCommandKey);
    EXPECT_TRUE(IsOnlyWrittenInto(MachineRegistrationSteps(), kLocalMachineRoot, commandKey));
    EXPECT_TRUE(IsOnlyWrittenInto(MachineRegistrationSteps(), kLocalMachineRoot, commandKey + L"\\"));
    EXPECT_FALSE(
        IsOnlyWrittenInto(MachineRegistrationSteps(), kLocalMachineRoot, L"software\\clients\\mail\\INBOXHOP"));
    EXPECT_FALSE(IsOnlyWrittenInto(CurrentUserRegistrationSteps(), kCurrentUserRoot, commandKey));
}

TEST(RegistrationWarning, NamesEveryRefusedKeyWithItsReasonAndWhatToDo) {
    std::wstring text = RegistrationWarningText({
        {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Clients\\Mail\\Inboxhop", L"Access is denied."},
        {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\mailto\\shell\\open\\command", L"File not found."},
    });
    EXPECT_EQ(text,
              L"Inboxhop could not be registered as the mail handler. These registry keys were refused:\r\n"
              L"\r\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Clients\\Mail\\Inboxhop\r\n    Access is denied."
              L"\r\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\mailto\\shell\\open\\command\r\n    File not found."
              L"\r\n\r\nStart Inboxhop as administrator (right-click it and choose \"Run as administrator\") "
              L"and press the button again.");
    // A missing class alone: no rights would help, so none are advised.
    EXPECT_EQ(RegistrationWarningText({{L"K", L"File not found.", true}}).find(L"administrator"), std::wstring::npos);
}

}  // namespace
}  // namespace inboxhop

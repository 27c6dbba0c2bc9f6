#include "mail_links/registration_steps.h"

#include <gtest/gtest.h>

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
}

}  // namespace
}  // namespace inboxhop

// End to end: the real program started with an empty command line, its push button pressed with the mouse, the box
// it answers with, the keys it leaves in the registry, and a mail link that another program then opens through the
// shell. Every registry key touched is put back afterwards.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "app/compose_link.h"
#include "app/procedure_steps.h"
#include "app_checks.h"
#include "base/system_error.h"
#include "registration_values.h"
#include "mail_links/registration_steps.h"
#include "ui/inboxhop_window.h"

namespace {

using namespace inboxhop;
using namespace testing_support;

constexpr DWORD kWaitMs = 15000;

class MailHandlerSetup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(browser_.ok()) << "could not register the stand-in browser";
        ASSERT_TRUE(mailtoClass_.saved().has_value()) << "the system's mailto class is missing";
        ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, std::wstring(kClientKey)));
        // A preferred client of the machine's own, which the setup must leave alone.
        ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, std::wstring(kMailClientsKey), L"", L"Native Mail Client"));
    }

    ScratchOption option_;
    RecorderAsBrowser browser_;
    ScratchTree mailtoClass_{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\mailto"};
    ScratchTree mailClients_{HKEY_LOCAL_MACHINE, std::wstring(kMailClientsKey)};
};

// The folder's name is the parameter: one with spaces, one that the ANSI code page cannot hold.
class MailHandlerSetupInFolder : public MailHandlerSetup, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(MailHandlerSetupInFolder, RegistersInboxhopExeOfTheProgramFolderAndMailLinksReachTheService) {
    const std::wstring folder = NewScratchFolder(GetParam());
    const std::wstring other = folder + L"\\Mail helper 2.exe";
    ASSERT_TRUE(CopyProgram(ProgramPath(), other));
    ASSERT_TRUE(CopyProgram(ProgramPath(), folder + L"\\Inboxhop.exe"));
    ASSERT_TRUE(option_.Set(L"1"));

    ShownProgram program(other);
    ASSERT_NE(program.window(), nullptr) << "the window did not appear";
    ExpectPlainBox(PressAndAnswer(program, kWaitMs), L"Done.");

    // The running file's own name appears nowhere: the commands name Inboxhop.exe beside it, quoted, spaces and all.
    for (const ExpectedValue& e : MailHandlerValues(folder + L"\\Inboxhop.exe")) {
        EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, e.key, e.name), e.value) << e.key;
    }
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, std::wstring(kMailClientsKey), L""), L"Native Mail Client");
    const auto clientAfterFirst = ReadTree(HKEY_LOCAL_MACHINE, std::wstring(kClientKey));
    const auto mailtoAfterFirst = ReadTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\mailto");

    // Another service, another press: the same keys.
    ASSERT_TRUE(program.Click(kServiceButtonId + 3));
    // The click arrives through the input queue: wait for the choice to be stored.
    WaitUntil([&] { return option_.Read() == L"4"; }, kWaitMs);
    ASSERT_EQ(option_.Read(), L"4");
    EXPECT_EQ(PressAndAnswer(program, kWaitMs).text, L"Done.");
    EXPECT_TRUE(ReadTree(HKEY_LOCAL_MACHINE, std::wstring(kClientKey)) == clientAfterFirst);
    EXPECT_TRUE(ReadTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\mailto") == mailtoAfterFirst);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, std::wstring(kMailClientsKey), L""), L"Native Mail Client");
    EXPECT_TRUE(program.Close(kWaitMs).has_value()) << "the program did not end after closing";

    // Another program opens a mail link: the shell runs the registered command, and the chosen service's compose
    // page reaches the browser.
    size_t before = browser_.Addresses().size();
    HINSTANCE result = ShellExecuteW(nullptr, L"open", L"mailto:someone@example.com", nullptr, nullptr, SW_SHOWNORMAL);
    ASSERT_GT(reinterpret_cast<INT_PTR>(result), 32) << "the shell refused the mail link";
    std::wstring compose = BuildComposeLink(L"4", L"someone@example.com").value();
    compose = compose.substr(1, compose.size() - 2);  // without its enclosing quotes
    EXPECT_EQ(browser_.WaitForPage(before, kWaitMs), compose);
}

INSTANTIATE_TEST_SUITE_P(Folders, MailHandlerSetupInFolder,
                         ::testing::Values(L"Inbox hop tools", L"\u041f\u043e\u0447\u0442\u0430 \u90ae\u4ef6 tools"),
                         [](const auto& info) { return info.index == 0 ? "WithSpaces" : "BeyondTheAnsiCodePage"; });

// A press that cannot register writes nothing, and its box says why: no service is selected; the program's folder has
// a % in its name, which the shell could read as naming another folder; the machine has no mailto class (a
// registration is whole or not at all: nothing else stays registered either).
TEST_F(MailHandlerSetup, APressThatCannotRegisterWritesNothingAndSaysWhy) {
    const std::wstring percent = NewScratchFolder(L"a%windir%b");
    ASSERT_TRUE(CopyProgram(ProgramPath(), percent + L"\\Inboxhop.exe"));
    const struct {
        const wchar_t* option;
        std::wstring program, text;
        bool noClass;
    } cases[] = {
        {L"5", ProgramPath(), L"You must select a least one default email.", false},
        {L"1", percent + L"\\Inboxhop.exe", FolderShellWouldChangeText(percent), false},
        {L"2", ProgramPath(),
         RegistrationWarningText(
             {{FullKeyName(kLocalMachineRoot, kMailtoCommandKey), SystemMessage(ERROR_FILE_NOT_FOUND), true}}),
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(!c.noClass || DeleteTree(HKEY_LOCAL_MACHINE, std::wstring(kMailtoCommandKey)));
        const std::optional<KeyTree> mailtoClass = ReadTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\mailto");
        ASSERT_TRUE(option_.Set(c.option));
        const SeenBox box = PressOnce(c.program);
        EXPECT_EQ(box.title, L"Inboxhop");
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.icon != nullptr, c.option != std::wstring(L"5"));  // a warning but for the missing choice
        EXPECT_TRUE(ReadTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\mailto") == mailtoClass);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::wstring(kClientKey)));
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, std::wstring(kMailClientsKey), L""), L"Native Mail Client");
    }
}

// A user without administrator rights finds the machine's keys read-only: the press registers Inboxhop for this user
// alone and says so, and the machine's keys stay as they were. (Wine's HKEY_CLASSES_ROOT shows the machine's classes
// only, so no mail link can follow a user's own class here.)
TEST_F(MailHandlerSetup, WithoutRightsToTheMachineThePressRegistersTheUserAlone) {
    ScratchTree machineProgId{HKEY_LOCAL_MACHINE, std::wstring(kProgIdKey)};
    ScratchTree machineApps{HKEY_LOCAL_MACHINE, std::wstring(kRegisteredApplicationsKey)};
    ScratchTree userMailto{HKEY_CURRENT_USER, std::wstring(kMailtoClassKey)};
    ScratchTree userProgId{HKEY_CURRENT_USER, std::wstring(kProgIdKey)};
    ScratchTree userClients{HKEY_CURRENT_USER, L"SOFTWARE\\Clients"};
    ScratchTree userApps{HKEY_CURRENT_USER, std::wstring(kRegisteredApplicationsKey)};
    ReadOnlyKeys machine;
    ASSERT_TRUE(machine.AddEvery(MachineRegistrationSteps()));
    auto machineKeys = [] {
        std::vector<std::optional<KeyTree>> trees;
        for (std::wstring_view key : {kMailtoClassKey, kClientKey, kProgIdKey, kRegisteredApplicationsKey}) {
            trees.push_back(ReadTree(HKEY_LOCAL_MACHINE, std::wstring(key)));
        }
        return trees;
    };
    const auto machineBefore = machineKeys();
    ASSERT_TRUE(option_.Set(L"2"));

    ExpectPlainBox(PressOnce(), std::wstring(kCurrentUserDoneMessage));
    // The user's own registration, byte for byte: a complete mailto class, the program's class, the client with its
    // capabilities, and its entry.
    const std::wstring link = L"\"" + TestProgramFolder() + L"\\Inboxhop.exe\" \"%1\"";
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, std::wstring(kMailtoCommandKey), L""), TextValue(link));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, std::wstring(kMailtoClassKey), L""), TextValue(L"URL:MailTo Protocol"));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, std::wstring(kMailtoClassKey), L"URL Protocol"), TextValue(L""));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, std::wstring(kRegisteredApplicationsKey), L"Inboxhop"),
              TextValue(L"SOFTWARE\\Clients\\Mail\\Inboxhop\\Capabilities"));
    for (const HandlerStep& step : CurrentUserRegistrationSteps()) {
        if (step.action != KeyAction::Write) continue;
        const RegistryValue value = StepValue(step, TestProgramFolder());
        EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, std::wstring(step.path), std::wstring(step.valueName)),
                  (RawValue{RegistryType(value), StoredBytes(value)}))
            << std::wstring(step.path) << L" " << std::wstring(step.valueName);
    }
    EXPECT_TRUE(machineKeys() == machineBefore);
    const auto userTree = ReadTree(HKEY_CURRENT_USER, L"SOFTWARE\\Clients\\Mail\\Inboxhop");

    // A second press may not write the user's keys either, but finds them in place: done.
    ReadOnlyKeys user;
    ASSERT_TRUE(user.AddEvery(CurrentUserRegistrationSteps()));
    EXPECT_EQ(PressOnce().text, kCurrentUserDoneMessage);

    // From another folder the user's keys would change too: the warning names the refused keys of both.
    const std::wstring folder = NewScratchFolder(L"Elsewhere");
    ASSERT_TRUE(CopyProgram(ProgramPath(), folder + L"\\Inboxhop.exe"));
    const SeenBox box = PressOnce(folder + L"\\Inboxhop.exe");
    EXPECT_NE(box.icon, nullptr);
    for (const wchar_t* key : {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Clients\\Mail\\Inboxhop\\Shell\\open\\command\r\n",
                               L"HKEY_CURRENT_USER\\SOFTWARE\\Classes\\mailto\\shell\\open\\command\r\n"}) {
        EXPECT_NE(box.text.find(key), std::wstring::npos) << key << L" not in " << box.text;
    }
    EXPECT_TRUE(ReadTree(HKEY_CURRENT_USER, L"SOFTWARE\\Clients\\Mail\\Inboxhop") == userTree);
    EXPECT_TRUE(machineKeys() == machineBefore);
}

}  // namespace

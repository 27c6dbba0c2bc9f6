// The push button's procedure run in this process against the stand-in registry: what it writes, and that it says
// "Done." only when every key was registered and otherwise names the keys that were refused.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <span>

#include "app/error_trap.h"
#include "app/procedure_steps.h"
#include "app/program_actions.h"
#include "app_checks.h"
#include "base/system_error.h"
#include "mail_links/registration_steps.h"
#include "registry_stand_in.h"
#include "ui/inboxhop_window.h"

namespace {

using namespace inboxhop;
using namespace testing_support;

class MailHandlerPress : public ::testing::Test {
protected:
    void SetUp() override {
        mainWindow_ = std::make_unique<InboxhopWindow>(GetModuleHandleW(nullptr));
        ASSERT_TRUE(mainWindow_->Create());
        // The system's own mailto class is there, as on every Windows.
        registry_.AddKey(std::wstring(kMailtoCommandKey));
        registry_.AddKey(std::wstring(kMailClientsKey));
    }
    void TearDown() override {
        mainWindow_.reset();
        // Destroying the window posts a quit message; take it off this thread's queue, or the next test's message
        // boxes would close at once.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // Marks a service button without running its handler (which would store the choice for the user), or none (-1).
    void Mark(int option) {
        for (int i = 0; i < InboxhopWindow::kServiceButtonCount; ++i) {
            HWND button = GetDlgItem(mainWindow_->hwnd(), kServiceButtonId + i);
            SendMessageW(button, BM_SETCHECK, i == option ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }

    std::vector<SeenBox> Press() {
        BoxAnswerer answerer;
        ProgramActions(*mainWindow_).SetUpMailLinks();
        return answerer.boxes();
    }

    void ExpectWarning(const std::vector<SeenBox>& boxes, const std::vector<RefusedKey>& refused) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].title, L"Inboxhop");
        EXPECT_EQ(boxes[0].text, RegistrationWarningText(refused));
        EXPECT_EQ(boxes[0].icon, LoadIconW(nullptr, IDI_WARNING));
    }

    static std::wstring Hklm(std::wstring_view path) { return FullKeyName(kLocalMachineRoot, path); }

    StandInRegistry registry_;
    std::unique_ptr<InboxhopWindow> mainWindow_;
    // The commands the press registers for the program in the build folder.
    const std::wstring plain_ = L"\"" + BuildFolder() + L"\\Inboxhop.exe\"";
    const std::wstring link_ = plain_ + L" \"%1\"";
};

TEST_F(MailHandlerPress, WritesTheFourKeysAndSaysDone) {
    Mark(2);
    std::vector<SeenBox> boxes = Press();
    ASSERT_EQ(boxes.size(), 1u);
    ExpectPlainBox(boxes[0], L"Done.");
    EXPECT_EQ(registry_.TextOf(L"SOFTWARE\\Classes\\mailto\\shell\\open\\command"), link_);
    EXPECT_EQ(registry_.TextOf(L"SOFTWARE\\Clients\\Mail\\Inboxhop"), L"Inboxhop");
    EXPECT_EQ(registry_.TextOf(L"SOFTWARE\\Clients\\Mail\\Inboxhop\\Protocols\\mailto\\shell\\open\\command"), link_);
    EXPECT_EQ(registry_.TextOf(L"SOFTWARE\\Clients\\Mail\\Inboxhop\\Shell\\open\\command"), plain_);
    // Beside these four, the ten values of the Default-apps registration, and nothing else: the preferred client in
    // particular stays as it was.
    EXPECT_EQ(registry_.ValueCount(), 14u);
    EXPECT_FALSE(registry_.ValueOf(std::wstring(kMailClientsKey), L"").has_value());
    for (const auto& call : registry_.calls()) {
        if (call.kind == StandInRegistry::Call::Create || call.kind == StandInRegistry::Call::Open) {
            EXPECT_EQ(call.root, HKEY_LOCAL_MACHINE);
        }
    }
    EXPECT_EQ(registry_.OpenHandles(), 0u);
}

TEST_F(MailHandlerPress, WithNoServiceSelectedWritesNothing) {
    Mark(-1);
    std::vector<SeenBox> boxes = Press();
    ASSERT_EQ(boxes.size(), 1u);
    ExpectPlainBox(boxes[0], L"You must select a least one default email.");
    EXPECT_TRUE(registry_.calls().empty());
}

TEST_F(MailHandlerPress, AMissingMailtoKeyIsNotCreatedAndIsReported) {
    StandInRegistry bare;  // the mailto class key is not there
    bare.AddKey(std::wstring(kMailClientsKey));
    Mark(0);
    std::vector<SeenBox> boxes = Press();
    ExpectWarning(boxes, {{Hklm(kMailtoCommandKey), SystemMessage(ERROR_FILE_NOT_FOUND), true}});
    // No rights would help here, so none are advised.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              L"Inboxhop could not be registered as the mail handler. These registry keys were refused:\r\n"
              L"\r\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\mailto\\shell\\open\\command\r\n"
              L"    The key does not exist: this machine has no mailto class to register Inboxhop into.");
    EXPECT_FALSE(bare.HasKey(std::wstring(kMailtoCommandKey)));
    EXPECT_FALSE(bare.HasKey(L"SOFTWARE\\Classes\\mailto"));
    // A registration is whole or not at all: the client keys written before the refusal were taken back.
    EXPECT_FALSE(bare.HasKey(std::wstring(kClientKey)));
    EXPECT_EQ(bare.ValueCount(), 0u);
}

// A refusal is named with the system's reason and the rest still runs; one of what is already in place is no failure.
TEST_F(MailHandlerPress, RefusedKeysAreNamedWithTheSystemsReasonAndTheRestStillRuns) {
    struct Case {
        const char* name;
        bool forCurrentUser;  // the machine refused for want of rights: the user is registered
        size_t valuesWritten;
        std::vector<RefusedKey> refused;  // empty: "Done.", for the machine or for the user alone
        std::function<void(StandInRegistry&)> stage;
        // Keys asked for with the rights to write them besides the steps': -1 when the look at what a write would
        // replace is refused already.
        int askedBeyondSteps = 0;
    };
    auto refuseEveryCreate = [](StandInRegistry& r, std::span<const HandlerStep> steps, const std::wstring& prefix) {
        for (const HandlerStep& step : steps) {
            if (step.action == KeyAction::Create) r.RefuseCreate(prefix + std::wstring(step.path), ERROR_ACCESS_DENIED);
        }
    };
    // Each key of the machine's registration is refused, then each of the user's: the same keys below a mailto class
    // of the user's own.
    const std::wstring_view keys[] = {kMailtoCommandKey, kClientKey, kClientProtocolCommandKey, kClientShellCommandKey,
                                      kProgIdKey, kProgIdIconKey, kProgIdCommandKey, kCapabilitiesKey,
                                      kUrlAssociationsKey, kRegisteredApplicationsKey};
    auto denied = [](const std::wstring& key) { return RefusedKey{key, SystemMessage(ERROR_ACCESS_DENIED)}; };
    std::vector<RefusedKey> bothRefused;
    for (std::wstring_view key : keys) bothRefused.push_back(denied(Hklm(key)));
    bothRefused.push_back(denied(FullKeyName(kCurrentUserRoot, kMailtoClassKey)));
    for (std::wstring_view key : keys) bothRefused.push_back(denied(FullKeyName(kCurrentUserRoot, key)));
    const Case cases[] = {
        // Creating the keys below the client key makes it exist, so only its own value is missing; the create's
        // reason is the one given. The machine's registration is taken back whole, so only the user's sixteen values
        // (a complete mailto class of the user's own among them) remain.
        {"refused create of the client key", true, 16, {},
         [](StandInRegistry& r) { r.RefuseCreate(std::wstring(kClientKey), ERROR_ACCESS_DENIED); }},
        {"refused write of the plain command", true, 16, {},
         [](StandInRegistry& r) { r.RefuseWrite(std::wstring(kClientShellCommandKey), ERROR_ACCESS_DENIED); }},
        {"no right to write under the local machine", true, 16, {},
         [&](StandInRegistry& r) {
             r.RefuseOpen(std::wstring(kMailtoCommandKey), ERROR_ACCESS_DENIED);
             refuseEveryCreate(r, MachineRegistrationSteps(), L"");
         }, -1},
        {"no right to write anywhere: both are named", true, 0, bothRefused,
         [&](StandInRegistry& r) {
             r.RefuseOpen(std::wstring(kMailtoCommandKey), ERROR_ACCESS_DENIED);
             refuseEveryCreate(r, MachineRegistrationSteps(), L"");
             refuseEveryCreate(r, CurrentUserRegistrationSteps(), L"HKCU\\");
         }, -1},
        {"refused create of a key that exists", false, 14, {},
         [](StandInRegistry& r) {
             r.AddKey(L"SOFTWARE\\Classes\\Inboxhop.mailto");
             r.RefuseCreate(std::wstring(kProgIdKey), ERROR_ACCESS_DENIED);
         }},
        {"refused write of the value already there", false, 14, {},
         [&](StandInRegistry& r) {
             r.AddValue(std::wstring(kClientProtocolCommandKey), L"", TextValue(link_));
             r.RefuseWrite(std::wstring(kClientProtocolCommandKey), ERROR_ACCESS_DENIED);
         }},
        // The value that was there stays, beside the user's sixteen.
        {"refused write of a value that differs", true, 17, {},
         [&](StandInRegistry& r) {
             r.AddValue(std::wstring(kClientProtocolCommandKey), L"", TextValue(L"\"C:\\Old\\Inboxhop.exe\" \"%1\""));
             r.RefuseWrite(std::wstring(kClientProtocolCommandKey), ERROR_ACCESS_DENIED);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StandInRegistry registry;
        registry.AddKey(std::wstring(kMailtoCommandKey));
        c.stage(registry);
        Mark(0);
        std::vector<SeenBox> boxes = Press();
        if (c.refused.empty()) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, c.forCurrentUser ? kCurrentUserDoneMessage : kDoneMessage);
        } else {
            ExpectWarning(boxes, c.refused);
        }
        EXPECT_EQ(registry.ValueCount(), c.valuesWritten);
        // Every step ran: each asked for its key with the rights to write it (a refusal is followed by a look
        // whether the value is in place already, for reading only).
        size_t asked = 0;
        for (const auto& call : registry.calls()) {
            asked += (call.kind == StandInRegistry::Call::Create || call.kind == StandInRegistry::Call::Open) &&
                     call.access == 0x3F;
        }
        EXPECT_EQ(asked, MachineRegistrationSteps().size() +
                             (c.forCurrentUser ? CurrentUserRegistrationSteps().size() : 0) + c.askedBeyondSteps);
        // The user's own registration is written only when the machine's was refused, and then whole.
        EXPECT_EQ(registry.TextOf(L"HKCU\\" + std::wstring(kMailtoCommandKey)).has_value(),
                  c.forCurrentUser && c.refused.empty());
        EXPECT_EQ(registry.OpenHandles(), 0u);
    }
}

// The command a press replaces goes into the installers' record in the same root, with its type; a later press over
// another program's command records that one instead, and one over an Inboxhop's command keeps the record. A command
// of Inboxhop's own is never recorded. Machine-wide, and for the user alone when the machine refuses.
TEST_F(MailHandlerPress, KeepsTheLastReplacedCommandOfAnotherProgramInTheInstallersRecord) {
    const std::wstring other = L"\"C:\\Other\\Mail.exe\" -compose \"%1\"", newer = L"C:\\Newer\\mail.exe %1";
    for (const std::wstring root : {L"", L"HKCU\\"}) {
        SCOPED_TRACE(root.empty() ? "machine" : "user");
        StandInRegistry registry;
        registry.AddKey(std::wstring(kMailClientsKey));
        registry.AddValue(root + std::wstring(kMailtoCommandKey), L"", TextValue(other, REG_EXPAND_SZ));
        if (!root.empty()) registry.RefuseOpen(std::wstring(kMailtoCommandKey), ERROR_ACCESS_DENIED);
        const std::wstring record = root + std::wstring(kRecordKey);
        const auto expectRecord = [&](const std::wstring& command, DWORD type) {
            EXPECT_EQ(registry.ValueOf(record, L"MailtoCommand"), TextValue(command));
            EXPECT_EQ(registry.ValueOf(record, L"MailtoCommandType"), NumberValue(type));
            EXPECT_EQ(registry.ValueOf(record, L"MailtoCommandSaved"), NumberValue(1));
        };
        Mark(0);
        Press();
        ASSERT_EQ(registry.TextOf(root + std::wstring(kMailtoCommandKey)), link_);
        expectRecord(other, REG_EXPAND_SZ);
        // Another Inboxhop.exe took the command: the record stays.
        registry.AddValue(root + std::wstring(kMailtoCommandKey), L"", TextValue(L"D:\\Tools\\INBOXHOP.EXE %1"));
        Mark(0);
        Press();
        expectRecord(other, REG_EXPAND_SZ);
        // Another program took it: its command is the one recorded now.
        registry.AddValue(root + std::wstring(kMailtoCommandKey), L"", TextValue(newer));
        Mark(0);
        Press();
        expectRecord(newer, REG_SZ);
    }
    // With no record yet, a command that names an Inboxhop.exe is not recorded.
    registry_.AddValue(std::wstring(kMailtoCommandKey), L"", TextValue(L"\"C:\\Old Place\\Inboxhop.exe\" \"%1\""));
    Mark(0);
    Press();
    EXPECT_FALSE(registry_.HasKey(std::wstring(kRecordKey)));
}

// A registration is one transaction: whichever key is refused, the record's included, the registry is left exactly as
// it was (the command it would replace, a value it would change, the keys it would make). A refusal no rights would
// help leaves no registration for the user either.
TEST_F(MailHandlerPress, EachRefusedKeyLeavesTheRegistryAsItWas) {
    std::set<std::wstring> keys{std::wstring(kRecordKey)};
    for (const HandlerStep& step : MachineRegistrationSteps()) {
        keys.insert(std::wstring(KeyPathWithoutTrailingBackslash(step.path)));
    }
    for (const std::wstring& key : keys) {
        for (bool create : {false, true}) {
            SCOPED_TRACE((create ? L"refused create of " : L"refused write of ") + key);
            StandInRegistry registry;
            registry.AddValue(std::wstring(kMailtoCommandKey), L"", TextValue(L"\"C:\\Other\\Mail.exe\" \"%1\""));
            registry.AddValue(std::wstring(kClientKey), L"", TextValue(L"Older"));
            registry.AddValue(std::wstring(kRegisteredApplicationsKey), L"Other", TextValue(L"SOFTWARE\\Other"));
            if (create && registry.HasKey(key)) continue;  // a key that is there is not created
            const auto before = registry.Contents();
            create ? registry.RefuseCreate(key, ERROR_WRITE_PROTECT) : registry.RefuseWrite(key, ERROR_WRITE_PROTECT);
            Mark(0);
            const std::vector<SeenBox> boxes = Press();
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_NE(boxes[0].text.find(FullKeyName(kLocalMachineRoot, key) + L"\r\n"), std::wstring::npos)
                << boxes[0].text;
            EXPECT_TRUE(registry.Contents() == before);
            EXPECT_EQ(registry.OpenHandles(), 0u);
        }
    }
}

TEST_F(MailHandlerPress, AFailingStepIsReportedUnderItsLineAndTheEndIsNoSuccess) {
    registry_.ThrowOnOpen(std::wstring(kClientProtocolCommandKey), L"Bad DLL calling convention");
    Mark(3);
    std::vector<SeenBox> boxes = Press();
    // Both steps that reach the key, its create (which first looks whether it is there) and its write, report under
    // their own numbers.
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].title, L"Application Error");
    EXPECT_EQ(boxes[0].text, ErrorReportText(L"Bad DLL calling convention", L"PushButton1_Click", 110));
    EXPECT_EQ(boxes[1].text, ErrorReportText(L"Bad DLL calling convention", L"PushButton1_Click", 112));
    EXPECT_EQ(boxes[2].text,
              RegistrationWarningText({{Hklm(kClientProtocolCommandKey), L"Bad DLL calling convention"}}));
    // The steps after the failing one still ran, and then the whole attempt was taken back.
    EXPECT_EQ(registry_.ValueCount(), 0u);
    EXPECT_FALSE(registry_.HasKey(std::wstring(kClientKey)));
    EXPECT_EQ(registry_.OpenHandles(), 0u);
}

}  // namespace

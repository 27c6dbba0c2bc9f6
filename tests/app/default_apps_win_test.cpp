// End to end: the real program's press registers Inboxhop where Default apps looks for it, then asks
// who opens this user's mail links. Another program's choice (planted the way Wine reads it, without a
// hash) gives the question, and Yes opens the settings page of the Windows the prefix reports; the
// recorder stands in for the settings app. Every registry value touched is put back afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/compose_link.h"
#include "app/default_apps.h"
#include "app/procedure_steps.h"
#include "app_checks.h"
#include "base/windows_version.h"
#include "mail_links/registration_steps.h"
#include "registration_values.h"

namespace {

using namespace inboxhop;
using namespace testing_support;

constexpr DWORD kWaitMs = 15000;
constexpr wchar_t kMailChoiceKey[] = L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\mailto";
const std::wstring kUserChoiceKey = std::wstring(kMailChoiceKey) + L"\\UserChoice";
constexpr wchar_t kVersionKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr wchar_t kOtherProgId[] = L"Other.Mail";
constexpr wchar_t kOtherName[] = L"Other Mail link";
constexpr wchar_t kSettingsClassKey[] = L"SOFTWARE\\Classes\\ms-settings";

class DefaultApps : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(browser_.ok()) << "could not register the recorder";
        ASSERT_TRUE(mailtoClass_.saved().has_value()) << "the system's mailto class is missing";
        ASSERT_TRUE(option_.Set(L"1"));
        ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, std::wstring(kProgIdKey)));
        ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, std::wstring(kClientKey)));
        ASSERT_TRUE(DeleteValue(HKEY_LOCAL_MACHINE, std::wstring(kRegisteredApplicationsKey), L"Inboxhop"));
        ASSERT_TRUE(DeleteTree(HKEY_CURRENT_USER, kMailChoiceKey));
    }

    // The user's mail links chosen for `progId`, as Wine reads the choice.
    static bool ChooseMailHandler(const std::wstring& progId) {
        return WriteText(HKEY_CURRENT_USER, kUserChoiceKey, L"Progid", progId);
    }

    // A class of another mail program, with a friendly name and a command.
    static bool PlantClass(const std::wstring& progId, const std::wstring& command) {
        std::wstring key = L"SOFTWARE\\Classes\\" + progId;
        return WriteText(HKEY_LOCAL_MACHINE, key, L"", L"Other Mail") &&
               WriteText(HKEY_LOCAL_MACHINE, key, L"FriendlyTypeName", kOtherName) &&
               WriteText(HKEY_LOCAL_MACHINE, key + L"\\shell\\open\\command", L"", command);
    }

    DesktopKeeper desktop_;
    ScratchOption option_;
    RecorderAsBrowser browser_;
    ScratchTree mailtoClass_{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\mailto"};
    ScratchTree progId_{HKEY_LOCAL_MACHINE, std::wstring(kProgIdKey)};
    ScratchTree client_{HKEY_LOCAL_MACHINE, std::wstring(kClientKey)};
    ScratchTree registered_{HKEY_LOCAL_MACHINE, std::wstring(kRegisteredApplicationsKey)};
    ScratchTree choice_{HKEY_CURRENT_USER, kMailChoiceKey};
    ScratchTree otherClass_{HKEY_LOCAL_MACHINE, std::wstring(L"SOFTWARE\\Classes\\") + kOtherProgId};
};

TEST_F(DefaultApps, ThePressRegistersInboxhopFromAFolderWithSpaces) {
    const std::wstring folder = NewScratchFolder(L"Inbox hop tools");
    const std::wstring program = folder + L"\\Inboxhop.exe";
    ASSERT_TRUE(CopyProgram(ProgramPath(), program));
    EXPECT_EQ(PressOnce(program).text, L"Done.");
    for (const ExpectedValue& e : DefaultAppsValues(program)) {
        EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, e.key, e.name), e.value) << e.key << L" " << e.name;
    }
    // Only the user makes the choice, and the Start menu entry stays the machine's own.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserChoiceKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::wstring(kCapabilitiesKey) + L"\\StartMenu"));
}

// Windows 7 (Wine's default): no choice, or a choice that leaves mail links
// to this Inboxhop, ends in "Done." as before.
struct ChoiceCase {
    const char* name;
    std::optional<std::wstring> progId;  // nothing: no choice made
    bool classStartsInboxhop = false;    // plant the chosen class with this folder's command
    bool commandLine = false;            // the choice is this Inboxhop's command line, as Windows may answer it
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class DefaultAppsWithChoice : public DefaultApps, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(DefaultAppsWithChoice, EndsInDone) {
    const ChoiceCase& c = GetParam();
    if (c.progId) {
        ASSERT_TRUE(ChooseMailHandler(*c.progId));
    }
    if (c.commandLine) {
        ASSERT_TRUE(ChooseMailHandler(L"\"" + ProgramPath() + L"\" \"%1\""));
    }
    if (c.classStartsInboxhop) {
        ASSERT_TRUE(PlantClass(*c.progId, L"\"" + ProgramPath() + L"\" \"%1\""));
    }
    ExpectPlainBox(PressOnce(), L"Done.");
    EXPECT_EQ(browser_.Pages(), std::vector<std::wstring>{});
}

INSTANTIATE_TEST_SUITE_P(Choices, DefaultAppsWithChoice,
                         ::testing::Values(ChoiceCase{"NoChoice", std::nullopt}, ChoiceCase{"EmptyChoice", L""},
                                           ChoiceCase{"InboxhopsOwnClass", L"Inboxhop.mailto"},
                                           ChoiceCase{"AnotherClassThatStartsThisInboxhop", kOtherProgId, true},
                                           ChoiceCase{"TheCommandLineOfThisInboxhop", std::nullopt, false, true}),
                         [](const ::testing::TestParamInfo<ChoiceCase>& info) { return info.param.name; });

// Windows 10 and 11: another program's choice gives the question.
struct QuestionCase {
    const char* name;
    const wchar_t* build;
    bool settingsHandled;  // the recorder stands in for the settings app
    int answer;            // IDYES or IDNO
    std::vector<std::wstring> pages;
    bool forCurrentUser = false;               // the machine's keys are read-only: the user is registered
    std::optional<std::wstring> afterwards{};  // the box after the answer, when one follows
};

void PrintTo(const QuestionCase& c, std::ostream* os) { *os << c.name; }

class DefaultAppsOnNewerWindows : public DefaultApps, public ::testing::WithParamInterface<QuestionCase> {
protected:
    void SetUp() override {
        DefaultApps::SetUp();
        ASSERT_TRUE(version_.Set(L"10.0"));
        ASSERT_TRUE(build_.Set(GetParam().build));
        ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, kSettingsClassKey));
        if (GetParam().settingsHandled) {
            ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, kSettingsClassKey, L"", L"URL:ms-settings"));
            ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, kSettingsClassKey, L"URL Protocol", L""));
            ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, std::wstring(kSettingsClassKey) + L"\\shell\\open\\command", L"",
                                  L"\"" + BuildFolder() + L"\\Recorder.exe\" \"%1\""));
        }
        ASSERT_TRUE(PlantClass(kOtherProgId, L"\"C:\\Program Files\\Other Mail\\other.exe\" \"%1\""));
        ASSERT_TRUE(ChooseMailHandler(kOtherProgId));
        if (GetParam().forCurrentUser) {
            ASSERT_TRUE(readOnly_.AddEvery(MachineRegistrationSteps()));
        }
    }

    ScratchValue version_{HKEY_LOCAL_MACHINE, kVersionKey, L"CurrentVersion"};
    ScratchValue build_{HKEY_LOCAL_MACHINE, kVersionKey, L"CurrentBuildNumber"};
    ScratchTree settings_{HKEY_LOCAL_MACHINE, kSettingsClassKey};
    ScratchTree userMailto_{HKEY_CURRENT_USER, std::wstring(kMailtoClassKey)};
    ScratchTree userProgId_{HKEY_CURRENT_USER, std::wstring(kProgIdKey)};
    ScratchTree userClients_{HKEY_CURRENT_USER, L"SOFTWARE\\Clients"};
    ScratchTree userApps_{HKEY_CURRENT_USER, std::wstring(kRegisteredApplicationsKey)};
    ReadOnlyKeys readOnly_;
};

TEST_P(DefaultAppsOnNewerWindows, AnotherProgramsChoiceGivesTheQuestion) {
    const QuestionCase& c = GetParam();
    ShownProgram program;
    HWND box = program.window() ? program.Press(kWaitMs) : nullptr;
    ASSERT_NE(box, nullptr) << "no message box after the press";
    if (c.forCurrentUser) {
        // Registered for this user alone: said first, then the question.
        EXPECT_EQ(AnswerBox(box, kWaitMs).text, kCurrentUserDoneMessage);
        ASSERT_TRUE(WaitForWindowToGo(box, kWaitMs));
        box = WaitForMessageBox(program.process().pid(), kWaitMs);
        ASSERT_NE(box, nullptr) << "no question after the box";
    }
    SeenBox question = ReadMessageBox(box);
    EXPECT_EQ(question.title, L"Inboxhop");
    EXPECT_EQ(question.text, OtherHandlerQuestion(kOtherName));
    EXPECT_NE(question.icon, nullptr);
    EXPECT_TRUE(ShowsButton(box, IDYES));
    EXPECT_TRUE(ShowsButton(box, IDNO));
    EXPECT_FALSE(ShowsButton(box, IDOK));

    PressButton(box, c.answer);
    ASSERT_TRUE(WaitForWindowToGo(box, kWaitMs));
    HWND next = WaitForMessageBox(program.process().pid(), c.afterwards ? kWaitMs : 1500);
    if (c.afterwards) {
        ASSERT_NE(next, nullptr) << "no message box after the answer";
        EXPECT_EQ(AnswerBox(next).text, *c.afterwards);
        ASSERT_TRUE(WaitForWindowToGo(next, kWaitMs));
    } else {
        EXPECT_EQ(next, nullptr) << "unexpected box: " << (next ? ReadMessageBox(next).text : L"");
        if (next) PressOk(next);
    }
    // Whatever the program started has ended, so all it was to record is recorded.
    EXPECT_TRUE(program.Close(kWaitMs).has_value()) << "the program did not end after closing";
    EXPECT_TRUE(program.process().WaitForJobToEmpty(kWaitMs));
    EXPECT_EQ(browser_.Pages(), c.pages);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, DefaultAppsOnNewerWindows,
    ::testing::Values(
        QuestionCase{"Windows10Yes", L"19045", true, IDYES, {std::wstring(kWindows10Page)}},
        QuestionCase{"Windows11Yes", L"22000", true, IDYES, {std::wstring(kWindows11Page)}},
        QuestionCase{"Windows11YesForTheUserAlone", L"22000", true, IDYES, {std::wstring(kWindows11UserPage)}, true},
        QuestionCase{"Windows10No", L"19045", true, IDNO, {}},
        QuestionCase{"Windows11No", L"22000", true, IDNO, {}},
        // Nothing opens the settings pages (Wine has no association window either): the box says where to
        // choose by hand.
        QuestionCase{"Windows11NoPageOpens", L"22000", false, IDYES, {}, false, std::wstring(kChooseByHandMessage)}),
    [](const ::testing::TestParamInfo<QuestionCase>& info) { return info.param.name; });

struct ListedValue {
    std::wstring type;  // as reg.exe names it: REG_SZ, REG_DWORD...
    std::wstring data;  // as reg.exe shows it (a DWORD as 0x...)
};

// The value `name` (empty: the default value) of HKEY_LOCAL_MACHINE\<path> as a 64-bit program sees it: as the
// 64-bit reg.exe (reached from this 32-bit process through the sysnative folder) lists it; nothing when it finds no
// such value, cannot be run or does not end in time.
std::optional<ListedValue> Query64BitView(const std::wstring& path, const std::wstring& name) {
    const std::wstring reg = L"C:\\windows\\sysnative\\reg.exe";
    std::wstring commandLine = L"\"" + reg + L"\" query \"HKLM\\" + path + L"\" ";
    commandLine += name.empty() ? L"/ve" : L"/v \"" + name + L"\"";
    // Its output goes to a file.
    const std::wstring outPath = NewScratchFolder(L"reg64") + L"\\out.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    inboxhop::ScopedFile out(CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return std::nullopt;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    PROCESS_INFORMATION info = {};
    BOOL started = CreateProcessW(reg.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                  nullptr, &startup, &info);
    out.reset();
    if (!started) return std::nullopt;
    inboxhop::ScopedHandle thread(info.hThread), process(info.hProcess);
    if (WaitForSingleObject(process.get(), 15000) != WAIT_OBJECT_0) return std::nullopt;
    // The ended child's handle may still be closing: ReadFileBytes shares writing too.
    auto output = ReadFileBytes(outPath);
    if (!output) return std::nullopt;
    // Each value is listed as four blanks, its name, four blanks, its type,
    // four blanks and its data. The keys and values read here are ASCII.
    std::wstring wide(output->begin(), output->end());
    const std::wstring head = L"    " + (name.empty() ? std::wstring(L"(Default)") : name) + L"    ";
    size_t at = wide.find(L"\n" + head);
    if (at == std::wstring::npos) return std::nullopt;
    size_t start = at + 1 + head.size();
    std::wstring rest = wide.substr(start, wide.find_first_of(L"\r\n", start) - start);  // npos: to the end
    size_t gap = rest.find(L"    ");
    if (gap == std::wstring::npos) return ListedValue{rest, L""};
    return ListedValue{rest.substr(0, gap), rest.substr(gap + 4)};
}

// Run by tests/wow64 in a 64-bit prefix, where this 32-bit test runs under WOW64 like the program: after
// the press, the 64-bit reg.exe finds every key in the 64-bit view, and a mail link that a 64-bit process
// opens through the shell reaches the service's page. Skipped elsewhere.
TEST_F(DefaultApps, UnderWow64AMailLinkOpenedByA64BitProcessReachesTheService) {
    if (!RunsUnderWow64()) GTEST_SKIP() << "runs only in a 64-bit prefix (tests/wow64)";
    wchar_t opener[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"INBOXHOP_SHELL_OPEN64", opener, MAX_PATH), 0u)
        << "INBOXHOP_SHELL_OPEN64 names no 64-bit opener";

    EXPECT_EQ(PressOnce().text, L"Done.");

    // Every key of the press, as the 64-bit shell reads it.
    std::vector<ExpectedValue> values = DefaultAppsValues(ProgramPath());
    for (const ExpectedValue& e : MailHandlerValues(ProgramPath())) values.push_back(e);
    for (const ExpectedValue& e : values) {
        const std::wstring what = e.key + L" " + e.name;
        auto listed = Query64BitView(e.key, e.name);
        ASSERT_TRUE(listed.has_value()) << what << L": not in the 64-bit view";
        // reg.exe lists a DWORD as 0x and its hex digits, and text without its NUL.
        const bool number = e.value.type == REG_DWORD;
        const auto* text = reinterpret_cast<const wchar_t*>(e.value.data.data());
        wchar_t hex[16] = {};
        if (number) _snwprintf(hex, 15, L"0x%lx", *reinterpret_cast<const DWORD*>(text));
        EXPECT_EQ(listed->type, number ? L"REG_DWORD" : L"REG_SZ") << what;
        EXPECT_EQ(listed->data, number ? std::wstring(hex) : std::wstring(text, e.value.data.size() / 2 - 1)) << what;
    }

    StartedProcess shell(opener, L"\"" + std::wstring(opener) + L"\" mailto:someone@example.com");
    ASSERT_TRUE(shell.started()) << "could not start the 64-bit opener";
    EXPECT_EQ(shell.WaitForExit(kWaitMs), std::optional<DWORD>(0)) << "the 64-bit shell refused the mail link";
    EXPECT_TRUE(shell.WaitForJobToEmpty(kWaitMs));
    std::wstring compose = BuildComposeLink(L"1", L"someone@example.com").value();
    compose = compose.substr(1, compose.size() - 2);  // without its enclosing quotes
    EXPECT_EQ(browser_.Pages(), std::vector<std::wstring>{compose});
}

}  // namespace

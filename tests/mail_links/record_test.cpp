// The mail-link record's rules in one table: what a replaced command leaves in the record, and what a removal then
// does with the command there and the record.
#include "mail_links/record.h"

#include <gtest/gtest.h>

#include <map>

namespace inboxhop {
namespace {

using Action = RemovalAction;

// The installation's program, the files there are, and the variables a 64-bit process sees.
const std::wstring kOurs = L"C:\\Program Files\\Inboxhop\\Inboxhop.exe";
const std::map<std::wstring, std::wstring> kVariables = {{L"ProgramFiles", L"C:\\Program Files (x86)"},
                                                         {L"ProgramW6432", L"C:\\Program Files"}};
const RemovalFacts kFacts{
    [](std::wstring_view program) { return program == kOurs; },
    [](std::wstring_view path) {
        if (path.starts_with(L"\\\\server")) return FileState::Unknown;
        return path.find(L"Gone") == std::wstring_view::npos ? FileState::Present : FileState::Missing;
    },
    [](std::wstring_view name) -> std::optional<std::wstring> {
        auto it = kVariables.find(std::wstring(name));
        return it == kVariables.end() ? std::nullopt : std::optional(it->second);
    }};

StoredRecord Whole(const MailtoCommand& command) { return {command.text, command.type, 1}; }

TEST(MailLinkRecord, RecordsTheLastCommandOfAnotherProgramAndGivesItBackOnlyWhileItCanStart) {
    const MailtoCommand ours{L"\"" + kOurs + L"\" \"%1\""};
    const MailtoCommand other{L"\"%ProgramFiles%\\Other Mail\\mail.exe\" /compose \"%1\"", kExpandableTextType};
    const MailtoCommand unquoted{L"C:\\Mail Tools\\mail.exe %1"};
    const std::wstring huge = L"\"C:\\Other\\mail.exe\" " + std::wstring(5000, L'x');
    const struct {
        const char* what;
        std::optional<MailtoCommand> current;  // the command at removal (and the one replaced at the press)
        StoredRecord stored;
        bool recorded;  // whether replacing `current` updates the record
        Action action;
    } rows[] = {
        {"quoted, with arguments, expandable: back with its type", ours, Whole(other), false, Action::Restore},
        {"unquoted, with arguments", ours, Whole(unquoted), false, Action::Restore},
        {"quoted, no arguments", ours, Whole({L"\"C:\\Other\\mail.exe\""}), false, Action::Restore},
        {"unquoted, no arguments, plain text", ours, Whole({L"C:\\Other\\mail.exe"}), false, Action::Restore},
        {"5,000 characters", ours, Whole({huge}), false, Action::Restore},
        {"no record", ours, {}, false, Action::DeleteUnrecorded},
        {"a partial record: no command", ours, {std::nullopt, 2, 1}, false, Action::DeleteUnrecorded},
        {"a partial record: no mark", ours, {other.text, 2, std::nullopt}, false, Action::DeleteUnrecorded},
        {"a malformed record: type 0", ours, {other.text, 0, 1}, false, Action::DeleteUnrecorded},
        {"a malformed record: empty", ours, {L"", 1, 1}, false, Action::DeleteUnrecorded},
        {"the recorded program is gone", ours, Whole({L"\"C:\\Gone\\mail.exe\" %1"}), false,
         Action::DeleteProgramGone},
        {"gone, under the 64-bit program folder", ours, Whole({L"%ProgramFiles%\\Gone\\m.exe", 2}), false,
         Action::DeleteProgramGone},
        {"undecided: a variable without a value", ours, Whole({L"%Unknown%\\Gone\\m.exe", 2}), false,
         Action::Restore},
        {"undecided: a relative program", ours, Whole({L"Gone.exe %1"}), false, Action::Restore},
        {"undecided: unquoted, no .exe, cut at a blank", ours, Whole({L"C:\\Gone Mail\\mail.cmd %1"}), false,
         Action::Restore},
        {"undecided: the file cannot be looked at", ours, Whole({L"\\\\server\\Gone\\m.exe"}), false,
         Action::Restore},
        {"another program wrote its command since", other, Whole(unquoted), true, Action::LeaveAnothers},
        {"MyInboxhop.exe is another program", MailtoCommand{L"C:\\MyInboxhop.exe %1"}, Whole(other), true,
         Action::LeaveAnothers},
        {"another copy of Inboxhop, in other case", MailtoCommand{L"D:\\Tools\\INBOXHOP.EXE %1"}, Whole(other), false,
         Action::LeaveAnotherInboxhops},
        {"no command", std::nullopt, Whole(other), false, Action::NoCommand},
        {"a command of another type", MailtoCommand{L"x", 7}, Whole(other), false, Action::NoCommand},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(RecordsReplacedCommand(row.current), row.recorded);
        const auto record = RecordedCommand(row.stored);
        const RemovalPlan plan = PlanRemoval(row.current, record, kFacts);
        EXPECT_EQ(plan.action, row.action);
        EXPECT_EQ(plan.keepRecord, row.action == Action::LeaveAnotherInboxhops);
        if (row.action == Action::Restore) {
            EXPECT_EQ(plan.restored, (MailtoCommand{*row.stored.command, *row.stored.commandType}));
        }
        if (row.action == Action::DeleteProgramGone) {
            EXPECT_NE(RemovalReport(plan, row.current, record).find(plan.missing), std::wstring::npos);
        }
    }
}

// The file the 64-bit shell starts: expanded as a 64-bit process sees the variables, and only for expandable text.
TEST(MailLinkRecord, ShellProgramPathExpandsAsThe64BitShell) {
    EXPECT_EQ(ShellProgramPath({L"\"%ProgramFiles%\\A\\a.exe\" %1", 2}, kFacts.variable), L"C:\\Program Files\\A\\a.exe");
    EXPECT_EQ(ShellProgramPath({L"%ProgramFiles%\\A\\a.exe", 1}, kFacts.variable), std::nullopt);
    EXPECT_EQ(ShellProgramPath({L"C:\\Program Files\\A b\\a.exe /x %1", 1}, kFacts.variable),
              L"C:\\Program Files\\A b\\a.exe");
    EXPECT_TRUE(IsMachineWideVariable(L"SYSTEMROOT"));
    EXPECT_FALSE(IsMachineWideVariable(L"LOCALAPPDATA"));
}

}  // namespace
}  // namespace inboxhop

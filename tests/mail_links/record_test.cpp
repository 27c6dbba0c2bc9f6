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
using Variables = std::map<std::wstring, std::wstring>;
const Variables kVariables = {{L"ProgramFiles", L"C:\\Program Files (x86)"},
                              {L"ProgramW6432", L"C:\\Program Files"},
                              {L"ProgramFiles(x86)", L"C:\\Program Files (x86)"},
                              {L"CommonProgramFiles", L"C:\\Common (x86)"},
                              {L"CommonProgramW6432", L"C:\\Common"}};
VariableLookup Lookup(const Variables& variables) {
    return [&variables](std::wstring_view name) -> std::optional<std::wstring> {
        auto it = variables.find(std::wstring(name));
        return it == variables.end() ? std::nullopt : std::optional(it->second);
    };
}
const RemovalFacts kFacts{
    [](std::wstring_view program) { return program == kOurs; },
    [](std::wstring_view path) {
        if (path.starts_with(L"\\\\server")) return FileState::Unknown;
        return path.find(L"Gone") == std::wstring_view::npos ? FileState::Present : FileState::Missing;
    },
    Lookup(kVariables)};

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
        {"quoted, with arguments, expandable: back with its type", ours, Whole(other), false, Action::PutBackRecorded},
        {"unquoted, with arguments", ours, Whole(unquoted), false, Action::PutBackRecorded},
        {"quoted, no arguments", ours, Whole({L"\"C:\\Other\\mail.exe\""}), false, Action::PutBackRecorded},
        {"unquoted, no arguments, plain text", ours, Whole({L"C:\\Other\\mail.exe"}), false, Action::PutBackRecorded},
        {"5,000 characters", ours, Whole({huge}), false, Action::PutBackRecorded},
        {"no record", ours, {}, false, Action::DeleteUnrecorded},
        {"a partial record: no command", ours, {std::nullopt, 2, 1}, false, Action::DeleteUnrecorded},
        {"a partial record: no mark", ours, {other.text, 2, std::nullopt}, false, Action::DeleteUnrecorded},
        {"a malformed record: type 0", ours, {other.text, 0, 1}, false, Action::DeleteUnrecorded},
        {"a malformed record: empty", ours, {L"", 1, 1}, false, Action::DeleteUnrecorded},
        {"a malformed record: no type", ours, {other.text, std::nullopt, 1}, false, Action::DeleteUnrecorded},
        {"a malformed record: a mark other than 1", ours, {other.text, 2, 2}, false, Action::DeleteUnrecorded},
        {"the recorded program is gone", ours, Whole({L"\"C:\\Gone\\mail.exe\" %1"}), false, Action::DeleteProgramGone},
        {"gone, in ProgramW6432", ours, Whole({L"%ProgramFiles%\\Gone\\m.exe", 2}), false, Action::DeleteProgramGone},
        {"gone, unquoted, .EXE in capitals", ours, Whole({L"C:\\Gone\\M.EXE %1"}), false, Action::DeleteProgramGone},
        {"gone, quoted after blanks", ours, Whole({L" \"C:\\Gone X\\m.cmd\" %1"}), false, Action::DeleteProgramGone},
        {"gone, unquoted, no .exe, alone", ours, Whole({L"C:\\Gone\\m.cmd"}), false, Action::DeleteProgramGone},
        {"undecided: a lone %", ours, Whole({L"C:\\Gone 100%\\m.exe", 2}), false, Action::PutBackRecorded},
        {"undecided: a % in plain text", ours, Whole({L"C:\\Gone\\100%.exe"}), false, Action::PutBackRecorded},
        {"undecided: no value", ours, Whole({L"%Unknown%\\Gone\\m.exe", 2}), false, Action::PutBackRecorded},
        {"undecided: a relative program", ours, Whole({L"Gone.exe %1"}), false, Action::PutBackRecorded},
        {"undecided: cut at a blank", ours, Whole({L"C:\\Gone Mail\\mail.cmd %1"}), false, Action::PutBackRecorded},
        {"undecided: cannot be looked at", ours, Whole({L"\\\\server\\Gone\\m.exe"}), false, Action::PutBackRecorded},
        {"another program wrote its command since", other, Whole(unquoted), true, Action::LeaveAnothers},
        {"MyInboxhop.exe is another program", MailtoCommand{L"C:\\MyInboxhop.exe %1"}, Whole(other), true,
         Action::LeaveAnothers},
        {"another copy of Inboxhop, in other case", MailtoCommand{L"D:\\Tools\\INBOXHOP.EXE %1"}, Whole(other), false,
         Action::LeaveAnotherInboxhops},
        {"this installation's command as expandable text", MailtoCommand{ours.text, 2}, Whole(other), false,
         Action::PutBackRecorded},
        {"no command", std::nullopt, Whole(other), false, Action::NoCommand},
        {"a blank command", MailtoCommand{L"  "}, Whole(other), false, Action::NoCommand},
        {"a command of another type", MailtoCommand{L"x", 7}, Whole(other), false, Action::NoCommand},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(RecordsReplacedCommand(row.current), row.recorded);
        const auto record = RecordedCommand(row.stored);
        const RemovalPlan plan = PlanRemoval(row.current, record, kFacts);
        EXPECT_EQ(plan.action, row.action);
        EXPECT_EQ(plan.keepRecord, row.action == Action::LeaveAnotherInboxhops);
        if (row.action == Action::PutBackRecorded) {
            EXPECT_EQ(plan.recorded, (MailtoCommand{*row.stored.command, *row.stored.commandType}));
            EXPECT_EQ(RemovalReport(plan, row.current, record), L"the mailto command is back: " + *row.stored.command);
        }
        if (row.action == Action::DeleteProgramGone) {
            EXPECT_NE(RemovalReport(plan, row.current, record).find(plan.missing), std::wstring::npos);
        }
    }
}

// The file the 64-bit shell starts: expanded as a 64-bit process sees the variables, and only for expandable text.
TEST(MailLinkRecord, ShellProgramPathExpandsAsThe64BitShell) {
    // 32-bit Windows: ProgramW6432 is empty or unset, and ProgramFiles is the one program folder.
    const Variables x86 = {{L"ProgramFiles", L"C:\\Program Files"}, {L"ProgramW6432", L""}};
    const struct {
        const wchar_t* command;
        std::uint32_t type;
        const Variables& variables;
        const wchar_t* path;  // empty: undecided
    } rows[] = {
        {L"\"%ProgramFiles%\\A\\a.exe\" %1", 2, kVariables, L"C:\\Program Files\\A\\a.exe"},
        {L"%PROGRAMFILES%\\A\\a.exe", 2, kVariables, L"C:\\Program Files\\A\\a.exe"},
        {L"%ProgramFiles(x86)%\\A\\a.exe", 2, kVariables, L"C:\\Program Files (x86)\\A\\a.exe"},
        {L"%CommonProgramFiles%\\a.exe", 2, kVariables, L"C:\\Common\\a.exe"},
        {L"%ProgramFiles%\\A\\a.exe", 2, x86, L"C:\\Program Files\\A\\a.exe"},
        {L"%ProgramFiles%\\A\\a.exe", 1, kVariables, L""},
        {L"C:\\Program Files\\A b\\a.exe /x %1", 1, kVariables, L"C:\\Program Files\\A b\\a.exe"},
        {L"\\\\server\\share\\a.exe %1", 1, kVariables, L"\\\\server\\share\\a.exe"},
        {L"C:a.exe", 1, kVariables, L""},  // relative to the drive's current folder
        {L"\\a.exe", 1, kVariables, L""},   // relative to the current drive
        {L"C:\\a%%b.exe", 2, kVariables, L""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ShellProgramPath({row.command, row.type}, Lookup(row.variables)).value_or(L""), row.path)
            << testing::PrintToString(row.command);
    }
    EXPECT_TRUE(IsMachineWideVariable(L"SYSTEMROOT"));
    EXPECT_FALSE(IsMachineWideVariable(L"LOCALAPPDATA"));
}

}  // namespace
}  // namespace inboxhop

// The record of the mailto command that Inboxhop replaced, and what a removal
// puts back, as rules on text: no Windows. The press, the EXE installer and
// uninstaller and the Windows Installer package's removal all follow them
// (mail_links/removal.h does the reading and writing).
//
// The record holds the last command that Inboxhop replaced and that was not
// an Inboxhop's, whole and with its type. A removal puts it back only while
// the command still names this installation's program, and only while the
// recorded program is there; otherwise it removes Inboxhop's command rather
// than write one that cannot start. Another program's command is never
// touched.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace inboxhop {

// The registry's numbers for the two kinds of text a command may be.
inline constexpr std::uint32_t kTextType = 1;            // REG_SZ
inline constexpr std::uint32_t kExpandableTextType = 2;  // REG_EXPAND_SZ

// A mailto command as the registry holds it.
struct MailtoCommand {
    std::wstring text;
    std::uint32_t type = kTextType;
    bool operator==(const MailtoCommand&) const = default;
};

// Whether a command about to be replaced goes into the record: a text
// command that starts some program other than an Inboxhop.exe. (Replacing an
// Inboxhop's command, or none, keeps the record as it is.)
bool RecordsReplacedCommand(const std::optional<MailtoCommand>& replaced);

// The record's values as read, each empty when missing or of a wrong type.
struct StoredRecord {
    std::optional<std::wstring> command;
    std::optional<std::uint32_t> commandType;
    std::optional<std::uint32_t> saved;
};
// The recorded command; none when the record is missing, partial or
// malformed (no mark, a type other than 1 or 2, no or an empty command).
std::optional<MailtoCommand> RecordedCommand(const StoredRecord& stored);

// --- Removal ---------------------------------------------------------------

// The value of an environment variable, or none.
using VariableLookup = std::function<std::optional<std::wstring>(std::wstring_view name)>;

// Whether a variable names the same folder for every user of the machine.
// A machine-wide command that uses another (%LOCALAPPDATA%) is expanded by
// the shell for each user, so no removal can tell where it points.
bool IsMachineWideVariable(std::wstring_view name);

// The file the 64-bit shell would start for the command: its program, with
// %VARIABLES% of an expandable command expanded as a 64-bit process sees them
// (%ProgramFiles% is %ProgramW6432%, %CommonProgramFiles% is
// %CommonProgramW6432%, where those are set). None when that cannot be told
// for certain: a variable without a value, a path that is not absolute.
std::optional<std::wstring> ShellProgramPath(const MailtoCommand& command, const VariableLookup& variable);

enum class FileState { Present, Missing, Unknown };

// What the removal needs to know from the system.
struct RemovalFacts {
    // Whether a command's program (as the command spells it) is this
    // installation's Inboxhop.exe.
    std::function<bool(std::wstring_view program)> isThisInstallation;
    // Whether a file is there, as the 64-bit shell would look.
    std::function<FileState(std::wstring_view path)> fileState;
    VariableLookup variable;
};

// By number, as the EXE uninstaller reads them (installer/Inboxhop.nsi).
enum class RemovalAction {
    NoCommand = 0,              // no text command is there: nothing to remove
    LeaveAnothers = 1,          // another program's command stays
    LeaveAnotherInboxhops = 2,  // another copy of Inboxhop's command stays, and the record with it
    PutBackRecorded = 3,        // the recorded command goes back
    DeleteUnrecorded = 4,       // Inboxhop's command goes: no whole record
    DeleteProgramGone = 5,      // Inboxhop's command goes: the recorded program is gone
};

struct RemovalPlan {
    RemovalAction action = RemovalAction::NoCommand;
    MailtoCommand recorded;   // PutBackRecorded: the command that goes back
    std::wstring missing;     // DeleteProgramGone: the file that is gone
    bool keepRecord = false;  // the record stays for another copy of Inboxhop
};

// What a removal does with the command there now and the record.
RemovalPlan PlanRemoval(const std::optional<MailtoCommand>& current, const std::optional<MailtoCommand>& record,
                        const RemovalFacts& facts);

// One line saying what the removal did, for the installers' logs.
std::wstring RemovalReport(const RemovalPlan& plan, const std::optional<MailtoCommand>& current,
                           const std::optional<MailtoCommand>& record);

}  // namespace inboxhop

#include <algorithm>
#include <cwctype>

#include "mail_links/registration_steps.h"
#include "mail_links/record.h"

namespace inboxhop {

namespace {

bool IsAbsolute(std::wstring_view path) {
    const bool drive = path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
    return drive || path.starts_with(L"\\\\");
}

// The value a 64-bit process sees for a variable.
std::optional<std::wstring> ShellVariable(std::wstring_view name, const VariableLookup& variable) {
    std::wstring_view wide;
    if (SameKeyName(name, L"ProgramFiles")) wide = L"ProgramW6432";
    if (SameKeyName(name, L"CommonProgramFiles")) wide = L"CommonProgramW6432";
    if (!wide.empty()) {
        if (auto value = variable(wide); value && !value->empty()) return value;
    }
    return variable(name);
}

}  // namespace

bool IsMachineWideVariable(std::wstring_view name) {
    for (std::wstring_view machine :
         {L"SystemRoot", L"windir", L"SystemDrive", L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432",
          L"CommonProgramFiles", L"CommonProgramFiles(x86)", L"CommonProgramW6432", L"ProgramData",
          L"ALLUSERSPROFILE", L"PUBLIC"}) {
        if (SameKeyName(name, machine)) return true;
    }
    return false;
}

std::optional<std::wstring> ShellProgramPath(const MailtoCommand& command, const VariableLookup& variable) {
    std::wstring_view program = CommandProgram(command.text);
    // An unquoted command whose program does not end in ".exe" was cut at its
    // first blank, and the shell may read more of it as the path
    // (C:\Program Files\Mail\mail.cmd): undecided.
    const size_t start = command.text.find_first_not_of(L" \t");
    const bool quoted = start != std::wstring::npos && command.text[start] == L'"';
    const bool moreText = command.text.find_first_not_of(L" \t", start + program.size()) != std::wstring::npos;
    if (!quoted && moreText && !(program.size() >= 4 && SameKeyName(program.substr(program.size() - 4), L".exe"))) {
        return std::nullopt;
    }
    std::wstring path;
    if (command.type != kExpandableTextType) {
        path = program;
    } else {
        while (!program.empty()) {
            const size_t open = program.find(L'%');
            path += program.substr(0, open);
            if (open == std::wstring_view::npos) break;
            const size_t close = program.find(L'%', open + 1);
            if (close == std::wstring_view::npos) return std::nullopt;
            auto value = ShellVariable(program.substr(open + 1, close - open - 1), variable);
            if (!value) return std::nullopt;
            path += *value;
            program.remove_prefix(close + 1);
        }
    }
    // A % left over is either a variable the shell never expands here or a
    // name the shell would read in its own way: undecided.
    if (path.find(L'%') != std::wstring::npos || !IsAbsolute(path)) return std::nullopt;
    return path;
}

RemovalPlan PlanRemoval(const std::optional<MailtoCommand>& current, const std::optional<MailtoCommand>& record,
                        const RemovalFacts& facts) {
    RemovalPlan plan;
    if (!current || (current->type != kTextType && current->type != kExpandableTextType) ||
        CommandProgram(current->text).empty()) {
        return plan;
    }
    if (!facts.isThisInstallation(CommandProgram(current->text))) {
        plan.keepRecord = NamesInboxhop(current->text);
        plan.action = plan.keepRecord ? RemovalAction::LeaveAnotherInboxhops : RemovalAction::LeaveAnothers;
        return plan;
    }
    if (!record) {
        plan.action = RemovalAction::DeleteUnrecorded;
        return plan;
    }
    // Only a file that is certainly gone counts as gone: a wrong "gone" would
    // delete a working handler.
    if (auto path = ShellProgramPath(*record, facts.variable); path && facts.fileState(*path) == FileState::Missing) {
        plan.action = RemovalAction::DeleteProgramGone;
        plan.missing = *path;
        return plan;
    }
    plan.action = RemovalAction::PutBackRecorded;
    plan.recorded = *record;
    return plan;
}

std::wstring RemovalReport(const RemovalPlan& plan, const std::optional<MailtoCommand>& current,
                           const std::optional<MailtoCommand>& record) {
    const std::wstring now = current ? current->text : std::wstring();
    switch (plan.action) {
    case RemovalAction::NoCommand:
        return L"there is no mailto command to give back";
    case RemovalAction::LeaveAnothers:
        return L"the mailto command is another program's and stays: " + now;
    case RemovalAction::LeaveAnotherInboxhops:
        return L"the mailto command names another Inboxhop.exe and stays, and so does the record: " + now;
    case RemovalAction::PutBackRecorded:
        return L"the mailto command is back: " + plan.recorded.text;
    case RemovalAction::DeleteUnrecorded:
        return L"this installation's mailto command is removed: no earlier command was recorded";
    case RemovalAction::DeleteProgramGone:
        return L"this installation's mailto command is removed: the recorded command names " + plan.missing +
               L", which is gone: " + (record ? record->text : std::wstring());
    }
    return {};
}

}  // namespace inboxhop

#include <algorithm>
#include <cwctype>

#include "registry/mail_handler_keys.h"
#include "registry/mail_link_record.h"

namespace inboxhop {

namespace {

bool SameName(std::wstring_view a, std::wstring_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

bool IsAbsolute(std::wstring_view path) {
    const bool drive = path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
    return drive || path.starts_with(L"\\\\");
}

// The value a 64-bit process sees for a variable.
std::optional<std::wstring> ShellVariable(std::wstring_view name, const VariableLookup& variable) {
    std::wstring_view wide;
    if (SameName(name, L"ProgramFiles")) wide = L"ProgramW6432";
    if (SameName(name, L"CommonProgramFiles")) wide = L"CommonProgramW6432";
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
        if (SameName(name, machine)) return true;
    }
    return false;
}

std::optional<std::wstring> ShellProgramPath(const MailtoCommand& command, const VariableLookup& variable) {
    std::wstring_view program = CommandProgram(command.text);
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
    plan.action = RemovalAction::Restore;
    plan.restored = *record;
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
    case RemovalAction::Restore:
        return L"the mailto command is back: " + plan.restored.text;
    case RemovalAction::DeleteUnrecorded:
        return L"this installation's mailto command is removed: no earlier command was recorded";
    case RemovalAction::DeleteProgramGone:
        return L"this installation's mailto command is removed: the recorded command names " + plan.missing +
               L", which is gone: " + (record ? record->text : std::wstring());
    }
    return {};
}

}  // namespace inboxhop

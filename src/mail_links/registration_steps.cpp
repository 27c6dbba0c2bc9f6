#include "mail_links/registration_steps.h"

#include <algorithm>
#include <cwctype>
#include <vector>

#include "base/product.h"

namespace inboxhop {

namespace {

std::wstring_view RootName(std::uint32_t root) {
    switch (root) {
    case kCurrentUserRoot:
        return L"HKEY_CURRENT_USER";
    case kLocalMachineRoot:
        return L"HKEY_LOCAL_MACHINE";
    default:
        return L"HKEY";
    }
}

// What a value of each kind holds around the executable's path.
struct AroundProgramPath {
    std::wstring_view before, after;
};
#define INBOXHOP_AROUND_PROGRAM(kind, before, after) constexpr AroundProgramPath k##kind{before, after};
#include "mail_links/registration_table.inc"

std::wstring AroundProgram(AroundProgramPath around, std::wstring_view programFolder) {
    std::wstring value(around.before);
    value += ExecutablePath(programFolder);
    value += around.after;
    return value;
}

}  // namespace

bool SameKeyName(std::wstring_view a, std::wstring_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

std::wstring_view CommandProgram(std::wstring_view command) {
    auto isBlank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (!command.empty() && isBlank(command.front())) command.remove_prefix(1);
    if (!command.empty() && command.front() == L'"') {
        command.remove_prefix(1);
        return command.substr(0, command.find(L'"'));
    }
    for (size_t at = 0; at + 4 <= command.size(); ++at) {
        if (SameKeyName(command.substr(at, 4), L".exe") && (at + 4 == command.size() || isBlank(command[at + 4]))) {
            return command.substr(0, at + 4);
        }
    }
    return command.substr(0, command.find_first_of(L" \t"));
}

bool NamesInboxhop(std::wstring_view command) {
    std::wstring_view program = CommandProgram(command);
    const size_t slash = program.find_last_of(L"\\/");
    if (slash != std::wstring_view::npos) program.remove_prefix(slash + 1);
    return SameKeyName(program, kProgramFile);
}

bool NamesExecutable(std::wstring_view command, std::wstring_view executable) {
    return SameKeyName(CommandProgram(command), executable);
}

std::wstring ExecutablePath(std::wstring_view programFolder) {
    std::wstring path(programFolder);
    path += L'\\';
    path += kProgramFile;
    return path;
}

std::wstring LinkCommand(std::wstring_view programFolder) { return AroundProgram(kLinkCommand, programFolder); }

std::wstring PlainCommand(std::wstring_view programFolder) { return AroundProgram(kPlainCommand, programFolder); }

std::wstring IconPath(std::wstring_view programFolder) { return AroundProgram(kIconPath, programFolder); }

bool IsOnlyWrittenInto(std::span<const HandlerStep> steps, std::uint32_t root, std::wstring_view path) {
    std::wstring_view key = KeyPathWithoutTrailingBackslash(path);
    for (const HandlerStep& step : steps) {
        if (step.action == KeyAction::Create && step.root == root &&
            SameKeyName(KeyPathWithoutTrailingBackslash(step.path), key)) {
            return false;
        }
    }
    return true;
}

bool IsKeyBelow(std::wstring_view key, std::wstring_view tree) {
    key = KeyPathWithoutTrailingBackslash(key);
    tree = KeyPathWithoutTrailingBackslash(tree);
    return key.size() >= tree.size() && SameKeyName(key.substr(0, tree.size()), tree) &&
           (key.size() == tree.size() || key[tree.size()] == L'\\');
}

std::vector<OwnKeyTree> OwnKeyTrees() {
    const std::span<const HandlerStep> steps = MachineRegistrationSteps();
    std::vector<OwnKeyTree> trees;
    for (const HandlerStep& made : steps) {
        if (made.action != KeyAction::Create) continue;
        const std::wstring_view key = KeyPathWithoutTrailingBackslash(made.path);
        bool nested = false;
        for (const OwnKeyTree& tree : trees) nested = nested || IsKeyBelow(key, tree.key);
        if (nested) continue;
        OwnKeyTree tree{key, {}};
        for (const HandlerStep& step : steps) {
            if (step.action == KeyAction::Write && step.valueName.empty() && IsKeyBelow(step.path, key) &&
                (step.value == KeyValue::LinkCommand || step.value == KeyValue::PlainCommand)) {
                tree.commandKeys.push_back(step.path);
            }
        }
        if (!tree.commandKeys.empty()) trees.push_back(std::move(tree));
    }
    return trees;
}

std::vector<ValueNamingOwnKey> ValuesNamingOwnKeys() {
    std::vector<ValueNamingOwnKey> values;
    for (const HandlerStep& step : MachineRegistrationSteps()) {
        if (step.action != KeyAction::Write || step.value != KeyValue::Text) continue;
        for (const OwnKeyTree& tree : OwnKeyTrees()) {
            if (!IsKeyBelow(step.path, tree.key) && IsKeyBelow(step.text, tree.key)) {
                values.push_back({step.path, step.valueName, step.text});
            }
        }
    }
    return values;
}

bool ShellWouldChangeFolder(std::wstring_view folder) { return folder.find(L'%') != std::wstring_view::npos; }

std::wstring FolderShellWouldChangeText(std::wstring_view folder) {
    std::wstring text(kProductTitle);
    text += L" cannot be set up for mail links from ";
    text += folder;
    text += L": Windows may read the % in its name as a variable, and mail links would not start. Move it to a "
            L"folder without %.";
    return text;
}

RegistryValue StepValue(const HandlerStep& step, std::wstring_view programFolder) {
    switch (step.value) {
    case KeyValue::LinkCommand:
        return LinkCommand(programFolder);
    case KeyValue::PlainCommand:
        return PlainCommand(programFolder);
    case KeyValue::IconPath:
        return IconPath(programFolder);
    case KeyValue::ProductTitle:
        return std::wstring(kProductTitle);
    case KeyValue::Text:
        return std::wstring(step.text);
    case KeyValue::Number:
        return step.number;
    case KeyValue::None:
        break;
    }
    return std::wstring();
}

std::wstring FullKeyName(std::uint32_t root, std::wstring_view path) {
    std::wstring name(RootName(root));
    std::wstring_view rest = KeyPathWithoutTrailingBackslash(path);
    if (!rest.empty()) {
        name += L'\\';
        name += rest;
    }
    return name;
}

void RegistrationOutcome::Refused(std::uint32_t root, std::wstring_view path, std::wstring reason,
                                  bool missingClass, bool accessDenied) {
    Keep({FullKeyName(root, path), std::move(reason), missingClass, accessDenied});
}

void RegistrationOutcome::Add(const RegistrationOutcome& other) {
    for (const RefusedKey& entry : other.refused_) Keep(entry);
}

void RegistrationOutcome::Keep(RefusedKey entry) {
    for (const RefusedKey& seen : refused_) {
        if (SameKeyName(seen.key, entry.key)) return;
    }
    refused_.push_back(std::move(entry));
}

bool RegistrationOutcome::RefusedForWantOfRights() const {
    bool denied = false;
    for (const RefusedKey& entry : refused_) {
        if (!entry.accessDenied && !entry.missingClass) return false;
        denied = denied || entry.accessDenied;
    }
    return denied;
}

std::wstring RegistrationWarningText(const std::vector<RefusedKey>& refused) {
    std::wstring text(kProductTitle);
    text += L" could not be registered as the mail handler. These registry keys were refused:\r\n";
    bool rightsMayHelp = false;
    for (const RefusedKey& entry : refused) {
        text += L"\r\n";
        text += entry.key;
        text += L"\r\n    ";
        if (entry.missingClass) {
            text += L"The key does not exist: this machine has no mailto class to register ";
            text += kProductTitle;
            text += L" into.";
        } else {
            text += entry.reason;
            rightsMayHelp = true;
        }
    }
    if (!rightsMayHelp) return text;
    text += L"\r\n\r\nStart ";
    text += kProductTitle;
    text += L" as administrator (right-click it and choose \"Run as administrator\") and press the button again.";
    return text;
}

namespace {

// The table's rows: each one a step of the machine-wide registration and of
// the current user's, or of the current user's alone.
enum class Scope { Both, UserOnly };
struct Row {
    Scope scope;
    HandlerStep step;
};

// A create names its key with a trailing backslash; the write after it names
// the same key without one.
#define INBOXHOP_KEY(name, path) constexpr std::wstring_view name##Created = path L"\\";
#include "mail_links/registration_table.inc"

#define INBOXHOP_CREATE(scope, line, key) \
    {Scope::scope, {line, KeyAction::Create, kLocalMachineRoot, key##Created, KeyValue::None}},
#define INBOXHOP_WRITE(scope, line, key, valueName, kind) \
    {Scope::scope, {line, KeyAction::Write, kLocalMachineRoot, key, KeyValue::kind, valueName}},
#define INBOXHOP_WRITE_TEXT(scope, line, key, valueName, text) \
    {Scope::scope, {line, KeyAction::Write, kLocalMachineRoot, key, KeyValue::Text, valueName, text}},
#define INBOXHOP_WRITE_NUMBER(scope, line, key, valueName, number) \
    {Scope::scope, {line, KeyAction::Write, kLocalMachineRoot, key, KeyValue::Number, valueName, {}, number}},
constexpr Row kRows[] = {
#include "mail_links/registration_table.inc"
};

std::vector<HandlerStep> Steps(bool forCurrentUser) {
    std::vector<HandlerStep> steps;
    for (const Row& row : kRows) {
        if (row.scope == Scope::UserOnly && !forCurrentUser) continue;
        HandlerStep step = row.step;
        if (forCurrentUser) step.root = kCurrentUserRoot;
        steps.push_back(step);
    }
    return steps;
}

}  // namespace

std::span<const HandlerStep> MachineRegistrationSteps() {
    static const std::vector<HandlerStep> steps = Steps(false);
    return steps;
}

std::span<const HandlerStep> CurrentUserRegistrationSteps() {
    static const std::vector<HandlerStep> steps = Steps(true);
    return steps;
}

}  // namespace inboxhop

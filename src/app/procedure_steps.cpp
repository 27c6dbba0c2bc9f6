#include "app/procedure_steps.h"

#include <vector>

namespace inboxhop {

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
#include "registry/mail_handler_table.inc"

#define INBOXHOP_CREATE(scope, line, key) \
    {Scope::scope, {line, KeyAction::Create, kLocalMachineRoot, key##Created, KeyValue::None}},
#define INBOXHOP_WRITE(scope, line, key, valueName, kind) \
    {Scope::scope, {line, KeyAction::Write, kLocalMachineRoot, key, KeyValue::kind, valueName}},
#define INBOXHOP_WRITE_TEXT(scope, line, key, valueName, text) \
    {Scope::scope, {line, KeyAction::Write, kLocalMachineRoot, key, KeyValue::Text, valueName, text}},
#define INBOXHOP_WRITE_NUMBER(scope, line, key, valueName, number) \
    {Scope::scope, {line, KeyAction::Write, kLocalMachineRoot, key, KeyValue::Number, valueName, {}, number}},
constexpr Row kRows[] = {
#include "registry/mail_handler_table.inc"
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

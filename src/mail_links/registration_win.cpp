#include "mail_links/registration.h"

#include <windows.h>

#include "base/failure.h"
#include "base/system_error.h"
#include "mail_links/removal.h"
#include "registry/registry_access.h"

namespace inboxhop {

namespace {

HKEY RootHandle(std::uint32_t root) {
    // The predefined roots are sign-extended handle values.
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

// Runs one step; answers the registry's status.
LONG ApplyMailHandlerStep(const HandlerStep& step, std::wstring_view programFolder) {
    HKEY root = RootHandle(step.root);
    if (step.action == KeyAction::Write && step.value == KeyValue::LinkCommand &&
        KeyPathWithoutTrailingBackslash(step.path) == kMailtoCommandKey) {
        // What it replaces goes into the record, for a removal to give back;
        // a record that cannot be written is no failure of the press.
        RecordReplacedMailtoCommand(root);
    }
    if (step.action == KeyAction::Create) {
        LONG status = CreateRegistryKey(root, step.path);
        return status != ERROR_SUCCESS && RegistryKeyExists(root, step.path) ? ERROR_SUCCESS : status;
    }
    RegistryValue value = StepValue(step, programFolder);
    LONG status = WriteRegistryValue(root, step.path, step.valueName, value);
    if (status != ERROR_SUCCESS && RegistryValueEquals(root, step.path, step.valueName, value)) return ERROR_SUCCESS;
    return status;
}

}  // namespace

RegistrationOutcome ApplyMailHandlerSteps(std::span<const HandlerStep> steps, std::wstring_view programFolder,
                                          const StepRunner& run) {
    RegistrationOutcome outcome;
    for (const HandlerStep& step : steps) {
        run(step, [&] {
            try {
                LONG status = ApplyMailHandlerStep(step, programFolder);
                if (status != ERROR_SUCCESS) {
                    bool missingClass =
                        status == ERROR_FILE_NOT_FOUND && IsOnlyWrittenInto(steps, step.root, step.path);
                    outcome.Refused(step.root, step.path, SystemMessage(status), missingClass,
                                    status == ERROR_ACCESS_DENIED);
                }
            } catch (...) {
                // The step wrote nothing: its key is not registered either.
                outcome.Refused(step.root, step.path, DescribeCurrentException());
                throw;
            }
        });
    }
    return outcome;
}

MailHandlerRegistration RegisterMailHandler(std::wstring_view programFolder, const StepRunner& run) {
    MailHandlerRegistration result;
    result.outcome = ApplyMailHandlerSteps(MachineRegistrationSteps(), programFolder, run);
    if (result.outcome.complete()) {
        result.registeredFor = RegisteredFor::Machine;
    } else if (result.outcome.RefusedForWantOfRights()) {
        RegistrationOutcome user = ApplyMailHandlerSteps(CurrentUserRegistrationSteps(), programFolder, run);
        if (user.complete()) result.registeredFor = RegisteredFor::CurrentUser;
        result.outcome.Add(user);
    }
    return result;
}

}  // namespace inboxhop

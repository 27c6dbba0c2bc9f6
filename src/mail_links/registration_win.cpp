#include "mail_links/registration.h"

#include <windows.h>

#include "base/failure.h"
#include "base/system_error.h"
#include "mail_links/record_store.h"
#include "registry/registry_access.h"
#include "registry/registry_journal.h"

namespace inboxhop {

namespace {

HKEY RootHandle(std::uint32_t root) {
    // The predefined roots are sign-extended handle values.
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

// Runs one step through the journal; answers the registry's status.
LONG ApplyStep(RegistryJournal& journal, const HandlerStep& step, std::wstring_view programFolder) {
    HKEY root = RootHandle(step.root);
    if (step.action == KeyAction::Create) {
        LONG status = journal.CreateKey(root, step.path);
        return status != ERROR_SUCCESS && RegistryKeyExists(root, step.path) ? ERROR_SUCCESS : status;
    }
    RegistryValue value = StepValue(step, programFolder);
    LONG status = journal.WriteValue(root, step.path, step.valueName, value);
    if (status != ERROR_SUCCESS && RegistryValueEquals(root, step.path, step.valueName, value)) return ERROR_SUCCESS;
    return status;
}

void Refuse(RegistrationOutcome& outcome, std::span<const HandlerStep> steps, std::uint32_t root,
            std::wstring_view path, LONG status) {
    const bool missingClass = status == ERROR_FILE_NOT_FOUND && IsOnlyWrittenInto(steps, root, path);
    outcome.Refused(root, path, SystemMessage(status), missingClass, status == ERROR_ACCESS_DENIED);
}

}  // namespace

AppliedRegistration ApplyRegistration(std::span<const HandlerStep> steps, std::wstring_view programFolder,
                                      const StepRunner& run, const InstallerAdditions* installer) {
    AppliedRegistration result;
    if (steps.empty()) return result;
    const std::uint32_t rootNumber = steps.front().root;
    const HKEY root = RootHandle(rootNumber);
    RegistryJournal journal;

    // A step into a key the registration never makes, which is not there.
    auto leftOut = [&](const HandlerStep& step) {
        return installer && IsOnlyWrittenInto(steps, step.root, step.path) &&
               !RegistryKeyExists(root, step.path);
    };
    // The record first (at index 0, under the first step's number): without
    // it, a removal could not put back what the registration replaces; when
    // it cannot be written, no step runs. (Where the command's key is not
    // there, there is no command to record.)
    const bool beforeSteps = installer && installer->beforeSteps;
    const HandlerStep record{steps.front().line, KeyAction::Write, rootNumber, kRecordKey, KeyValue::None};
    // A failure that leaves a step's runner (the installers' runs none of
    // its own) takes the attempt back before it goes on.
    try {
        for (size_t i = 0; i <= steps.size(); ++i) {
            if (i == 1 && !result.outcome.complete()) break;
            const HandlerStep& step = i == 0 ? record : steps[i - 1];
            if (i > 0 && leftOut(step)) continue;
            run(step, [&] {
                try {
                    LONG status = ERROR_SUCCESS;
                    if (i > 0) {
                        status = ApplyStep(journal, step, programFolder);
                    } else {
                        status = RecordReplacedMailtoCommand(journal, root);
                        if (status == ERROR_SUCCESS && beforeSteps) status = installer->beforeSteps(journal);
                    }
                    if (status != ERROR_SUCCESS) Refuse(result.outcome, steps, step.root, step.path, status);
                } catch (...) {
                    // The step wrote nothing: its key is not registered either.
                    result.outcome.Refused(step.root, step.path, DescribeCurrentException());
                    throw;
                }
            });
        }
    } catch (...) {
        journal.Undo();
        throw;
    }
    if (!result.outcome.complete()) result.putBack = journal.Undo();
    return result;
}

MailHandlerRegistration RegisterMailHandler(std::wstring_view programFolder, const StepRunner& run) {
    MailHandlerRegistration result;
    const AppliedRegistration machine = ApplyRegistration(MachineRegistrationSteps(), programFolder, run);
    result.outcome = machine.outcome;
    if (result.outcome.complete()) {
        result.registeredFor = RegisteredFor::Machine;
    } else if (machine.putBack && result.outcome.RefusedForWantOfRights()) {
        // Only with the machine as it was: a user's registration beside a
        // half-changed machine would say "this user account only" untruly.
        const AppliedRegistration user = ApplyRegistration(CurrentUserRegistrationSteps(), programFolder, run);
        if (user.outcome.complete()) result.registeredFor = RegisteredFor::CurrentUser;
        result.outcome.Add(user.outcome);
    }
    return result;
}

}  // namespace inboxhop

// The push button's click procedure: registers the program as the mail
// handler. Each step keeps its fixed line number, which the error report box
// shows; a failing step is reported and the next one still runs.
#include "app/error_trap.h"
#include "app/program_folder.h"
#include "app/system_error.h"
#include "registry/mail_handler_keys.h"
#include "registry/modRegStuff.h"
#include "ui/form1.h"

namespace inboxhop {

namespace {

HKEY RootHandle(std::uint32_t root) {
    // The predefined roots are sign-extended handle values.
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

}  // namespace

void Form1::PushButton1_Click() {
    Trap trap(L"PushButton1_Click", [this](const std::wstring& text) { ShowErrorReport(text); });

    if (trap.Test(kLineCheckService, [&] {
            for (int i = 0; i < kOptionCount; ++i) {
                if (IsOptionSelected(i)) return false;
            }
            return true;
        })) {
        trap.Step(kLineNoService, [&] { ShowMessage(kNoServiceMessage); });
        return;
    }

    // Every step runs whatever the steps before it achieved; the outcome
    // keeps what the registry refused, so that the end tells the truth.
    RegistrationOutcome outcome;
    for (const HandlerStep& step : MailHandlerSteps()) {
        trap.Step(step.line, [&] {
            try {
                LONG status;
                if (step.action == KeyAction::Create) {
                    status = CreateRegistryKey(RootHandle(step.root), step.path);
                } else {
                    // The commands are built afresh from the program folder
                    // for each write.
                    std::wstring folder = UsesProgramFolder(step.value) ? ProgramFolder() : std::wstring();
                    status = WriteRegistryValue(RootHandle(step.root), step.path, L"", ValueText(step.value, folder),
                                                REG_SZ);
                }
                if (status != ERROR_SUCCESS) outcome.Refused(step.root, step.path, SystemMessage(status));
            } catch (...) {
                // The step wrote nothing: its key is not registered either.
                outcome.Refused(step.root, step.path, DescribeCurrentException());
                throw;
            }
        });
    }

    trap.Step(kLineResult, [&] {
        if (outcome.complete()) {
            ShowMessage(kDoneMessage);
        } else {
            ShowMessage(RegistrationWarningText(outcome.refused()), MB_OK | MB_ICONWARNING);
        }
    });
}

}  // namespace inboxhop

// The main window's three trapped procedures: the start-up sequence, the
// push button's click and the close. Each step keeps its fixed line number,
// which the error report box shows; a failing step is reported and the
// procedure goes on with the next one.
#include <windows.h>

#include "app/default_apps.h"
#include "app/default_apps_win.h"
#include "app/error_trap.h"
#include "app/handoff.h"
#include "app/home_page.h"
#include "app/mail_handler_press.h"
#include "base/product.h"
#include "base/program_folder.h"
#include "base/services.h"
#include "base/system_error.h"
#include "registry/mail_handler_keys.h"
#include "registry/modRegStuff.h"
#include "settings/settings_store.h"
#include "ui/app_title.h"
#include "ui/appearance.h"
#include "ui/form1.h"

namespace inboxhop {

namespace {

HKEY RootHandle(std::uint32_t root) {
    // The predefined roots are sign-extended handle values.
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

struct StepValue {
    RegistryValue value;
    DWORD type;
};

// What a write step stores. The commands and the icon path are built afresh
// from the program folder for each write.
StepValue ValueOf(const HandlerStep& step) {
    if (step.value == KeyValue::Number) return {static_cast<long long>(step.number), REG_DWORD};
    std::wstring folder = UsesProgramFolder(step.value) ? ProgramFolder() : std::wstring();
    return {ValueText(step, folder), REG_SZ};
}

// Runs one step; answers the registry's status. A refused step whose key is
// already there, holding exactly what the step would write (as after an
// administrator registered the same folder), counts as done.
LONG RunStep(const HandlerStep& step) {
    HKEY root = RootHandle(step.root);
    if (step.action == KeyAction::Create) {
        LONG status = CreateRegistryKey(root, step.path);
        return status != ERROR_SUCCESS && RegistryKeyExists(root, step.path) ? ERROR_SUCCESS : status;
    }
    StepValue v = ValueOf(step);
    LONG status = WriteRegistryValue(root, step.path, step.valueName, v.value, v.type);
    if (status != ERROR_SUCCESS && RegistryValueEquals(root, step.path, step.valueName, v.value, v.type)) {
        return ERROR_SUCCESS;
    }
    return status;
}

}  // namespace

Form1::AfterLoad Form1::Form_Load(std::wstring_view commandLine) {
    Trap trap(L"Form_Load", [this](const std::wstring& text) { ShowErrorReport(text); });

    trap.Step(100, [&] { ApplySkin(*this); });
    trap.Step(104, [&] { SetCaption(kProductTitle); });
    trap.Step(104, [&] { SetProgramIcon(*this); });
    trap.Step(104, [&] { SetApplicationTitle(); });
    std::wstring pointerFile;
    if (trap.Test(106, [&] {
            pointerFile = ProgramFolder() + std::wstring(kPointerFile);
            return PathExists(pointerFile);
        })) {
        trap.Step(108, [&] { LoadPointerFile(*this, pointerFile); });
    }
    trap.Step(110, [] { VisitHomePage(); });

    std::wstring choice;
    trap.Step(128, [&] { choice = GetSetting(kSettingsApplication, kSettingsSection, kOptionKey, kDefaultOption); });
    if (trap.Test(130, [&] { return !choice.empty(); })) {
        for (int i = 0; i < kServiceCount; ++i) {
            const Service& service = kServices[i];
            if (trap.Test(service.loadTestLine, [&] { return choice == service.code; })) {
                trap.Step(service.loadSelectLine, [&] { SelectOption(i); });
                break;
            }
        }
    }

    std::wstring commandText;
    trap.Step(148, [&] { commandText = commandLine; });
    if (trap.Test(150, [&] { return commandText.empty(); })) return AfterLoad::ShowWindow;
    // The shell may show its own dialogs over the window; a message-only
    // window cannot own them.
    HWND owner = GetAncestor(hwnd_, GA_PARENT) == GetDesktopWindow() ? hwnd_ : nullptr;
    HandOffMailLink(trap, owner, choice, std::move(commandText));
    return AfterLoad::EndProgram;
}

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
                LONG status = RunStep(step);
                if (status != ERROR_SUCCESS) {
                    bool missingClass = status == ERROR_FILE_NOT_FOUND && IsOnlyWrittenInto(step.root, step.path);
                    outcome.Refused(step.root, step.path, SystemMessage(status), missingClass);
                }
            } catch (...) {
                // The step wrote nothing: its key is not registered either.
                outcome.Refused(step.root, step.path, DescribeCurrentException());
                throw;
            }
        });
    }

    trap.Step(kLineAnnounce, [] { AnnounceAssociationChange(); });
    // On Windows 8 and later the user's own choice has the last word: "Done."
    // only when it leaves mail links to Inboxhop.
    std::optional<std::wstring> otherHandler;
    if (outcome.complete()) trap.Step(kLineDetect, [&] { otherHandler = OtherMailHandler(ProgramFolder()); });

    trap.Step(kLineResult, [&] {
        if (!outcome.complete()) {
            ShowMessage(RegistrationWarningText(outcome.refused()), MB_OK | MB_ICONWARNING);
        } else if (!otherHandler) {
            ShowMessage(kDoneMessage);
        } else if (ShowMessage(OtherHandlerQuestion(*otherHandler), MB_YESNO | MB_ICONQUESTION) == IDYES &&
                   !OpenDefaultAppsPage()) {
            ShowMessage(kChooseByHandMessage, MB_OK | MB_ICONINFORMATION);
        }
    });
}

void Form1::Form_QueryUnload() {
    Trap trap(L"Form_QueryUnload", [this](const std::wstring& text) { ShowErrorReport(text); });
    trap.Step(100, [] {
        // One pass over the messages that are waiting.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    });
}

}  // namespace inboxhop

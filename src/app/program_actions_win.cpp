#include "app/program_actions.h"

#include <windows.h>

#include "app/compose_link.h"
#include "app/default_apps.h"
#include "app/default_apps_shell.h"
#include "app/error_trap.h"
#include "app/handoff.h"
#include "app/home_page.h"
#include "app/procedure_steps.h"
#include "base/product.h"
#include "base/program_folder.h"
#include "base/services.h"
#include "mail_links/registration.h"
#include "settings/settings_store.h"
#include "ui/app_title.h"
#include "ui/appearance.h"

namespace inboxhop {

namespace {

// Stores a service as the user's choice. Throws Failure when the store
// refuses.
void StoreChoice(int index) { SaveSetting(kSettingsApplication, kSettingsSection, kOptionKey, kServices[index].code); }

// The hand-off of a mail link, under the start-up's trap: clean the link,
// build the chosen service's compose address, have the shell open it. The
// program ends when it returns, without showing its window. Answers false
// when the chosen service's build-and-open step failed (it was reported):
// the compose address was not opened. A choice that names no service opens
// nothing and is no failure.
bool HandOffMailLink(Trap& trap, HWND owner, std::wstring_view choice, std::wstring commandText) {
    trap.Step(kCleanLink, [&] { commandText = CleanMailArgument(commandText); });
    for (int i = 0; i < kServiceCount; ++i) {
        const Service& service = kServices[i];
        // Each service's test guards its build-and-open step.
        if (trap.Test(kServiceSteps[i].handOffTest, [&] { return choice == service.code; })) {
            return trap.Step(kServiceSteps[i].handOffOpen,
                             [&] { OpenComposeLink(owner, BuildComposeLink(service, commandText)); });
        }
    }
    // Line 170, the end of the program, is the caller's.
    return true;
}

}  // namespace

ProgramActions::AfterStartUp ProgramActions::StartUp(std::wstring_view commandLine) {
    // The error report names each procedure as it always has, and a user may
    // send that text in: "Form_Load", "PushButton1_Click", "Form_QueryUnload".
    Trap trap(L"Form_Load", [this](const std::wstring& text) { window_.ShowErrorReport(text); });

    trap.Step(kSkin, [&] { window_.ApplySkin(); });
    trap.Step(kCaptionIconAndTitle, [&] { window_.SetCaption(kProductTitle); });
    trap.Step(kCaptionIconAndTitle, [&] { window_.SetProgramIcon(); });
    trap.Step(kCaptionIconAndTitle, [&] { SetApplicationTitle(); });
    std::wstring pointerFile;
    if (trap.Test(kTestPointerFile, [&] {
            pointerFile = ProgramFolder() + std::wstring(kPointerFile);
            return PathExists(pointerFile);
        })) {
        trap.Step(kLoadPointerFile, [&] { window_.LoadPointerFile(pointerFile); });
    }
    trap.Step(kVisitHomePage, [] { VisitHomePage(); });

    std::wstring choice;
    trap.Step(kReadChoice,
              [&] { choice = GetSetting(kSettingsApplication, kSettingsSection, kOptionKey, kDefaultOption); });
    if (trap.Test(kTestChoice, [&] { return !choice.empty(); })) {
        for (int i = 0; i < kServiceCount; ++i) {
            if (trap.Test(kServiceSteps[i].startUpTest, [&] { return choice == kServices[i].code; })) {
                trap.Step(kServiceSteps[i].startUpSelect, [&] { SelectService(i); });
                break;
            }
        }
    }

    std::wstring commandText;
    trap.Step(kReadCommandLine, [&] { commandText = commandLine; });
    if (trap.Test(kTestCommandLine, [&] { return commandText.empty(); })) return AfterStartUp::ShowWindow;
    // The shell may show its own dialogs over the window; a message-only
    // window cannot own them.
    return HandOffMailLink(trap, window_.DialogOwner(), choice, std::move(commandText)) ? AfterStartUp::EndProgram
                                                                                           : AfterStartUp::EndUnopened;
}

void ProgramActions::SetUpMailLinks() {
    Trap trap(L"PushButton1_Click", [this](const std::wstring& text) { window_.ShowErrorReport(text); });

    if (trap.Test(kCheckService, [&] {
            for (int i = 0; i < kServiceCount; ++i) {
                if (window_.IsServiceSelected(i)) return false;
            }
            return true;
        })) {
        trap.Step(kNoService, [&] { window_.ShowMessage(kNoServiceMessage); });
        return;
    }

    // A command in a folder whose name the shell would read otherwise could
    // never start: nothing is written, and the press says why.
    const std::wstring folder = ProgramFolder();
    if (ShellWouldChangeFolder(folder)) {
        trap.Step(kResult, [&] { window_.ShowMessage(FolderShellWouldChangeText(folder), MB_OK | MB_ICONWARNING); });
        return;
    }
    // Each registry step runs under the trap with its own number.
    const MailHandlerRegistration registration = RegisterMailHandler(
        folder, [&](const HandlerStep& step, const std::function<void()>& work) { trap.Step(step.line, work); });
    const bool registered = registration.registeredFor != RegisteredFor::Nobody;
    const bool forCurrentUser = registration.registeredFor == RegisteredFor::CurrentUser;

    trap.Step(kAnnounce, [] { AnnounceAssociationChange(); });
    // On Windows 8 and later the user's own choice has the last word: a
    // machine-wide "Done." only when it leaves mail links to Inboxhop.
    std::optional<std::wstring> otherHandler;
    if (registered) trap.Step(kDetect, [&] { otherHandler = OtherMailHandler(folder); });

    trap.Step(kResult, [&] {
        if (!registered) {
            window_.ShowMessage(RegistrationWarningText(registration.outcome.refused()), MB_OK | MB_ICONWARNING);
            return;
        }
        if (forCurrentUser) {
            window_.ShowMessage(kCurrentUserDoneMessage);
        } else if (!otherHandler) {
            window_.ShowMessage(kDoneMessage);
        }
        if (otherHandler &&
            window_.ShowMessage(OtherHandlerQuestion(*otherHandler), MB_YESNO | MB_ICONQUESTION) == IDYES &&
            !OpenDefaultAppsPage(forCurrentUser)) {
            window_.ShowMessage(kChooseByHandMessage, MB_OK | MB_ICONINFORMATION);
        }
    });
}

void ProgramActions::SelectService(int index) {
    if (window_.MarkService(index)) StoreChoice(index);
}

void ProgramActions::ServiceChosen(int index) {
    try {
        StoreChoice(index);
    } catch (...) {
        window_.ShowMessage(DescribeCurrentException(), MB_OK | MB_ICONEXCLAMATION);
    }
}

void ProgramActions::BeforeClose() {
    Trap trap(L"Form_QueryUnload", [this](const std::wstring& text) { window_.ShowErrorReport(text); });
    trap.Step(kCloseStep, [] {
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

#include "app/handoff.h"

#include <shellapi.h>

#include "app/compose_link.h"
#include "app/error_trap.h"
#include "app/procedure_steps.h"
#include "base/com_win.h"
#include "base/services.h"

namespace inboxhop {

void OpenComposeLink(HWND owner, std::wstring_view link) {
    std::wstring file(link);
    // The shell may hand the link to extensions that need COM. Without COM it
    // can still open a plain address, so the call goes ahead either way.
    EnsureComInitialized();
    // Wide entry point: the link reaches the shell without loss, whatever
    // the ANSI code page can represent. The program ends as soon as this
    // returns, so the shell must finish handing the link over first (an
    // association served through DDE or a background thread would otherwise
    // be cut off). The shell must show no message of its own either: a
    // hand-off runs unseen, and a box nobody expects would hold the program.
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpFile = file.c_str();
    info.lpDirectory = L"C:\\";
    info.nShow = SW_SHOW;
    ShellExecuteExW(&info);
}

void HandOffMailLink(Trap& trap, HWND owner, std::wstring_view choice, std::wstring commandText) {
    trap.Step(kCleanLink, [&] { commandText = CleanMailArgument(commandText); });
    for (int i = 0; i < kServiceCount; ++i) {
        const std::wstring_view code = kServices[i].code;
        // Each service's test guards its build-and-open step.
        if (trap.Test(kServiceSteps[i].handOffTest, [&] { return choice == code; })) {
            trap.Step(kServiceSteps[i].handOffOpen, [&] {
                if (auto link = BuildComposeLink(code, commandText)) OpenComposeLink(owner, *link);
            });
            break;
        }
    }
    // Line 170, the end of the program, is the caller's.
}

}  // namespace inboxhop

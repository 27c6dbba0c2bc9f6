#include "app/handoff.h"

#include <shellapi.h>

#include "app/com_win.h"
#include "app/compose_link.h"
#include "app/error_trap.h"

namespace inboxhop {

void OpenComposeLink(HWND owner, std::wstring_view link) {
    std::wstring file(link);
    // The shell may hand the link to extensions that need COM.
    EnsureComInitialized();
    // Wide entry point: the link reaches the shell without loss, whatever
    // the ANSI code page can represent. The program ends as soon as this
    // returns, so the shell must finish handing the link over first (an
    // association served through DDE or a background thread would otherwise
    // be cut off).
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC;
    info.hwnd = owner;
    info.lpFile = file.c_str();
    info.lpDirectory = L"C:\\";
    info.nShow = SW_SHOW;
    ShellExecuteExW(&info);
}

void HandOffMailLink(Trap& trap, HWND owner, std::wstring_view choice, std::wstring commandText) {
    trap.Step(152, [&] { commandText = CleanMailArgument(commandText); });
    const ComposeTemplate* templates = ComposeTemplates();
    for (int i = 0; i < kServiceCount; ++i) {
        const ComposeTemplate& t = templates[i];
        // Lines 154, 158, 162 and 166 test the choice; each guards its
        // service's build-and-open step two lines on.
        if (trap.Test(t.line - 2, [&] { return choice == t.code; })) {
            trap.Step(t.line, [&] {
                if (auto link = BuildComposeLink(t.code, commandText)) OpenComposeLink(owner, *link);
            });
            break;
        }
    }
    // Line 170: end at once, without showing the window.
    ExitProcess(0);
}

}  // namespace inboxhop

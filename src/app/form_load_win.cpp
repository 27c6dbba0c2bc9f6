// The start-up sequence: the main window's load procedure. Each step keeps
// its fixed line number, which the error report box shows.
#include <windows.h>

#include "app/command_line.h"
#include "app/error_trap.h"
#include "app/handoff.h"
#include "app/home_page.h"
#include "app/program_folder.h"
#include "settings/settings_store.h"
#include "ui/app_title.h"
#include "ui/appearance.h"
#include "ui/form1.h"

namespace inboxhop {

void Form1::Form_Load() {
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
        // Lines 132, 136, 140 and 144 test the choice; each marks its
        // service button two lines on.
        for (int i = 0; i < kOptionCount; ++i) {
            if (trap.Test(132 + 4 * i, [&] { return choice == kServiceCodes[i]; })) {
                trap.Step(134 + 4 * i, [&] { SelectOption(i); });
                break;
            }
        }
    }

    std::wstring commandText;
    trap.Step(148, [&] { commandText = CommandLineText(GetCommandLineW()); });
    if (trap.Test(150, [&] { return commandText.empty(); })) return;
    // The shell may show its own dialogs over the window; a message-only
    // window cannot own them.
    HWND owner = GetAncestor(hwnd_, GA_PARENT) == GetDesktopWindow() ? hwnd_ : nullptr;
    HandOffMailLink(trap, owner, choice, std::move(commandText));
}

}  // namespace inboxhop

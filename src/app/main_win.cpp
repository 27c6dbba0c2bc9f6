// Entry point: the main window is the program's start-up object.
#include <windows.h>

#include "app/command_line.h"
#include "app/program_actions.h"
#include "ui/inboxhop_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using inboxhop::InboxhopWindow;
    using inboxhop::ProgramActions;
    // Nothing may leave the entry point as an exception; with no window
    // left to show anything in, the exit code is all that can tell.
    try {
        // A start with a mail link never shows the window, so it needs no
        // visible window: a message-only one without controls will do.
        const std::wstring commandText = inboxhop::CommandLineText(GetCommandLineW());
        InboxhopWindow mainWindow(instance);
        ProgramActions procedures(mainWindow);
        const auto purpose = commandText.empty() ? InboxhopWindow::Purpose::Show : InboxhopWindow::Purpose::HandOff;
        if (!mainWindow.Create(purpose, &procedures)) return 1;
        const ProgramActions::AfterStartUp after = procedures.StartUp(commandText);
        if (after != ProgramActions::AfterStartUp::ShowWindow) {
            // The mail link is handed on: end at once, without showing the
            // window or running its closing handlers. Exit code 1 tells a
            // caller that the compose address was not opened.
            ExitProcess(after == ProgramActions::AfterStartUp::EndUnopened ? 1 : 0);
        }
        return mainWindow.Run(showCommand);
    } catch (...) {
        return 1;
    }
}

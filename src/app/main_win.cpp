// Entry point: the main window is the program's start-up object.
#include <windows.h>

#include "app/command_line.h"
#include "app/form1_procedures.h"
#include "ui/form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using inboxhop::Form1;
    using inboxhop::Form1Procedures;
    // Nothing may leave the entry point as an exception; with no window
    // left to show anything in, the exit code is all that can tell.
    try {
        // A start with a mail link never shows the window, so it needs no
        // visible window: a message-only one without controls will do.
        const std::wstring commandText = inboxhop::CommandLineText(GetCommandLineW());
        Form1 form(instance);
        Form1Procedures procedures(form);
        if (!form.Create(commandText.empty() ? Form1::Purpose::Show : Form1::Purpose::HandOff, &procedures)) return 1;
        const Form1Procedures::AfterLoad after = procedures.Form_Load(commandText);
        if (after != Form1Procedures::AfterLoad::ShowWindow) {
            // The mail link is handed on: end at once, without showing the
            // window or running its closing handlers. Exit code 1 tells a
            // caller that the compose address was not opened.
            ExitProcess(after == Form1Procedures::AfterLoad::EndUnopened ? 1 : 0);
        }
        return form.Run(showCommand);
    } catch (...) {
        return 1;
    }
}

// Entry point: the main window is the program's start-up object.
#include <windows.h>

#include "app/command_line.h"
#include "ui/form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Nothing may leave the entry point as an exception.
    try {
        // A start with a mail link never shows the window (the load hands
        // the link on and ends the program), so it needs no visible window.
        bool handOff = !inboxhop::CommandLineText(GetCommandLineW()).empty();
        inboxhop::Form1 form(instance);
        if (!form.Create(handOff ? inboxhop::Form1::Purpose::HandOff : inboxhop::Form1::Purpose::Show)) return 1;
        form.Form_Load();
        return form.Run(showCommand);
    } catch (...) {
        return 1;
    }
}

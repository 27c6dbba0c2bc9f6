// Entry point: the main window is the program's start-up object.
#include <windows.h>

#include "ui/form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Nothing may leave the entry point as an exception.
    try {
        inboxhop::Form1 form(instance);
        if (!form.Create()) return 1;
        form.Form_Load();
        return form.Run(showCommand);
    } catch (...) {
        return 1;
    }
}

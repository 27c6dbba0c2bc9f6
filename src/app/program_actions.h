// The main window's actions (start-up, the set-up button's click,
// the close) and the store of the service the user selects. A failing step
// is reported under its number (app/procedure_steps.h) and the procedure
// goes on with the next one.
#pragma once

#include <string_view>

#include "ui/main_window.h"

namespace inboxhop {

class ProgramActions : public MainWindowEvents {
public:
    explicit ProgramActions(MainWindow& window) : window_(window) {}

    // The start-up sequence, given the argument text of the command line.
    // Returns what follows it: the window is shown, or, after a mail link
    // was handed on, the program ends without showing it; EndUnopened when
    // the compose address could not be opened (the error report told so).
    enum class AfterStartUp { ShowWindow, EndProgram, EndUnopened };
    AfterStartUp StartUp(std::wstring_view commandText);

    // Marks a service button and, when that is a new selection, stores the
    // service as the user's choice. Throws Failure when the store refuses.
    void SelectService(int index);

    void SetUpMailLinks() override;          // registers the mail handler
    void ServiceChosen(int index) override;  // stores the choice; a refusal is shown
    void BeforeClose() override;             // lets waiting messages run

private:
    MainWindow& window_;
};

}  // namespace inboxhop

// The main window's trapped procedures: the start-up sequence, the push
// button's click and the close, and the store of a service the user
// selects. Each step keeps its fixed number (app/procedure_steps.h), which
// the error report box shows; a failing step is reported and the procedure
// goes on with the next one.
#pragma once

#include <string_view>

#include "ui/main_window.h"

namespace inboxhop {

class Form1Procedures : public MainWindowEvents {
public:
    explicit Form1Procedures(MainWindow& window) : window_(window) {}

    // The start-up sequence, given the argument text of the command line.
    // Returns what follows it: the window is shown, or, after a mail link
    // was handed on, the program ends without showing it.
    enum class AfterLoad { ShowWindow, EndProgram };
    AfterLoad Form_Load(std::wstring_view commandText);

    // Marks a service button as selected and, when that is a new selection,
    // stores the service as the user's choice. Throws Failure when the store
    // refuses.
    void SelectService(int index);

    // Registers the mail handler.
    void PushButton1_Click() override;
    // Stores the service the user selected; a store that fails is reported
    // and the window stays open.
    void Option_Click(int index) override;
    // Lets waiting messages run; never refuses.
    void Form_QueryUnload() override;

private:
    MainWindow& window_;
};

}  // namespace inboxhop

// What the program's procedures ask of the main window, and what the window
// hands to them. InboxhopWindow is the real window; a procedure can run against
// another one.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace inboxhop {

class MainWindow {
public:
    // The skin beside the program, the caption, the program's icons, a
    // pointer file for the set-up button. Each throws Failure when it fails.
    virtual void ApplySkin() = 0;
    virtual void SetCaption(std::wstring_view caption) = 0;
    virtual void SetProgramIcon() = 0;
    virtual void LoadPointerFile(std::wstring_view path) = 0;

    // Service buttons, 0 to 3 in the order of the services.
    virtual bool IsServiceSelected(int index) const = 0;
    // Marks a service button as selected; answers whether it is a new
    // selection (selecting the selected button again is none).
    virtual bool MarkService(int index) = 0;

    // Message boxes under the application title, and the error report box.
    virtual int ShowMessage(std::wstring_view text, UINT type = MB_OK) = 0;
    virtual void ShowErrorReport(const std::wstring& text) = 0;

    // The owner of the shell's dialogs: the window when it is top-level.
    virtual HWND DialogOwner() const = 0;

protected:
    ~MainWindow() = default;
};

class MainWindowEvents {
public:
    virtual void SetUpMailLinks() = 0;
    virtual void ServiceChosen(int index) = 0;  // the user selected another service
    virtual void BeforeClose() = 0;             // the window closes or the session ends

protected:
    ~MainWindowEvents() = default;
};

}  // namespace inboxhop

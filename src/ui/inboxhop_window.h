// The main window: a frame of four service buttons, a set-up button that
// registers the program as the mail handler, and a text box kept out of
// sight that holds the focus when the window opens.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/scoped.h"
#include "base/services.h"
#include "ui/main_window.h"
#include "ui/paint.h"

namespace inboxhop {

// Child window identifiers, also used by automation and tests.
enum ControlId : int {
    kFocusHolderId = 1,
    kServiceFrameId = 2,
    kServiceButtonId = 11,  // the first service button: the four are 11 to 14
    kSetUpButtonId = 20,
};

// SetUpButton is the system's button, drawn by the window (owner-drawn) in
// its own font and colours.
inline constexpr DWORD kSetUpButtonStyle = BS_OWNERDRAW | WS_TABSTOP | WS_GROUP;

// The main window's class, under the name it has always had: tools that
// look for the window find it by this name.
inline constexpr wchar_t kMainWindowClass[] = L"InboxhopForm1";

// The title of the error report box.
inline constexpr std::wstring_view kErrorBoxTitle = L"Application Error";

// Pointer styles of the window.
enum PointerStyle : int { kPointerDefault = 0, kPointerBusy = 11, kPointerCustom = 99 };

// The window keeps its pointer style in this window property, so that the
// style is part of the window's visible state.
inline constexpr wchar_t kPointerStyleProp[] = L"Inboxhop.PointerStyle";

enum class ControlKind { TextBox, Frame, ServiceButton, SetUpButton };

struct Control {
    ControlKind kind;
    HWND hwnd;
    COLORREF backColor;
    RECT shared;  // the part of its area that it leaves to the next service button; empty: none
};

class InboxhopWindow : public MainWindow {
public:
    static constexpr int kServiceButtonCount = kServiceCount;  // one service button per service

    explicit InboxhopWindow(HINSTANCE instance) : instance_(instance) {}
    ~InboxhopWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    InboxhopWindow(const InboxhopWindow&) = delete;
    InboxhopWindow& operator=(const InboxhopWindow&) = delete;

    // What the window is made for. A start with a mail link hands it on and
    // ends inside the load, never showing the window: it gets a message-only
    // window without controls, a fraction of the cost of a top-level window
    // with its seven controls, and keeps the service choice itself.
    enum class Purpose { Show, HandOff };

    // Creates the window hidden, with its controls when it is to be shown;
    // its events go to `events` (without them it only shows itself).
    // Returns false when the system refuses.
    bool Create(Purpose purpose = Purpose::Show, MainWindowEvents* events = nullptr);
    HWND hwnd() const { return hwnd_; }
    bool HasControls() const { return !controls_.empty(); }

    // Turns a window made for a hand-off into one that can be shown: a
    // top-level window, centred, with its controls and the service choice
    // marked. Nothing to do for a window made to be shown.
    void MakeShowable();

    // Shows the window and runs its message loop; returns the exit code.
    int Run(int showCommand);

    // MainWindow
    void ApplySkin() override;
    void SetCaption(std::wstring_view caption) override;
    void SetProgramIcon() override;
    void LoadPointerFile(std::wstring_view path) override;
    bool IsServiceSelected(int index) const override;
    bool MarkService(int index) override;
    int ShowMessage(std::wstring_view text, UINT type = MB_OK) override;
    void ShowErrorReport(const std::wstring& text) override;
    HWND DialogOwner() const override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void OnCreate();
    void BuildControls();
    void CreateControls();
    void ClipOverlappingServiceButtons();
    const Control* FindControl(int id) const;
    // Takes the screen's dpi; answers the window's rectangle, centred on the screen.
    RECT PlaceOnScreen();
    // Where a control sits in the client area, in pixels at the window's dpi.
    RECT ControlRect(int id) const;
    void OnCommand(int id, int code, HWND control);
    void OnServiceButtonClicked(int index);
    void CheckServiceButton(int index);  // checks one service button, clears the others
    // The window, its frame and its service buttons take `color` (which may
    // name a system colour, see ResolveColor) as their background; the text
    // box and the set-up button keep theirs.
    void SetBackColors(COLORREF color);
    void SetControlBackColor(Control& control, COLORREF color);
    void HoverRule(int style);
    int PointerStyle() const;
    void SetPointerStyle(int style);
    bool OnSetCursor(HWND over, int hitTest, UINT mouseMessage);
    LRESULT OnDefaultId();
    LRESULT OnCtlColor(HDC hdc, HWND control);
    void OnPaintBackground(HDC hdc);
    void OnColorsChanged();
    // The colour a background set to `backColor` shows in the current scheme.
    static COLORREF Shown(COLORREF backColor);
    void OnClose();
    void OnNextDialogControl(WPARAM wParam, LPARAM lParam);
    bool OnActivate(int state, bool minimized);

    int Scale(int twips) const { return MulDiv(twips, dpi_, 1440); }

    HINSTANCE instance_;
    MainWindowEvents* events_ = nullptr;
    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    ScopedFont font_;        // Arial 9 pt bold: text box, frame, service buttons
    ScopedFont buttonFont_;  // Arial 11.25 pt bold: the set-up button
    COLORREF backColor_ = RGB(255, 255, 255);
    std::vector<Control> controls_;
    BrushCache brushes_;
    ScopedCursor customPointer_;  // shown over the set-up button
    int selectedService_ = -1;   // the selected service button; -1: none
    HWND lastFocus_ = nullptr;  // the control that had the focus when the window went inactive
};

}  // namespace inboxhop

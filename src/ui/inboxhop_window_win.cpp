#include "ui/inboxhop_window.h"

#include "base/failure.h"
#include "base/program_folder.h"
#include "base/scoped.h"
#include "base/system_error.h"
#include "ui/accessibility.h"
#include "ui/appearance.h"
#include "ui/skin_framework.h"

namespace inboxhop {

namespace {

// Layout in twips (1440 per inch), relative to the client area.
struct Placement {
    int id;
    int left, top, width, height;
};

constexpr int kClientWidth = 8040;
constexpr int kClientHeight = 1530;
constexpr int kFrameLeft = 120;
constexpr int kFrameTop = 120;

constexpr Placement kLayout[] = {
    {kFocusHolderId, 1440, 1650, 1215, 525},
    {kServiceFrameId, kFrameLeft, kFrameTop, 7800, 750},
    {kServiceButtonId + 0, kFrameLeft + 240, kFrameTop + 300, 1140, 285},
    {kServiceButtonId + 1, kFrameLeft + 1305, kFrameTop + 300, 1365, 285},
    {kServiceButtonId + 2, kFrameLeft + 2835, kFrameTop + 300, 2310, 285},
    {kServiceButtonId + 3, kFrameLeft + 5355, kFrameTop + 300, 1140, 285},
    {kSetUpButtonId, 120, 1000, 7800, 405},
};

// No WS_CLIPCHILDREN: a group box draws only its line and caption, so the
// window paints the background inside the frame, as dialogs do.
constexpr DWORD kMainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kMainWindowExStyle = WS_EX_APPWINDOW;

constexpr wchar_t kFrameCaption[] = L"Default Email Option";

// What a screen reader says beyond the captions. The text box out of sight
// has the focus when the window opens, so its name is the first thing
// heard: where the user is and what to do first.
constexpr wchar_t kFocusHolderAccessibleName[] =
    L"Inboxhop makes a web-mail service open your mail links. Press Tab to choose the service";
constexpr wchar_t kSetUpButtonDescription[] =
    L"Makes the chosen web-mail service open the mail links on this computer.";

ScopedFont CreateArialBold(int hundredthsOfPoint, int dpi) {
    return CreateUiFont(L"Arial", hundredthsOfPoint, true, false, ANSI_CHARSET, dpi);
}

// The main window's skin component. It lives as long as the process, like
// the skin it applies.
SkinFramework& TheSkin() {
    static SkinFramework component;
    return component;
}

// A directory match for normal files: true when `path` names a file that is
// neither a folder nor hidden nor a system file. Any failure of the search
// counts as no match.
bool MatchesNormalFile(const std::wstring& path) {
    if (path.find(L'\0') != std::wstring::npos) return false;
    WIN32_FIND_DATAW data;
    ScopedFind find(FindFirstFileW(path.c_str(), &data));
    if (!find) return false;
    constexpr DWORD kNotNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    bool found = false;
    do {
        found = (data.dwFileAttributes & kNotNormal) == 0;
    } while (!found && FindNextFileW(find.get(), &data));
    return found;
}

}  // namespace

bool InboxhopWindow::Create(Purpose purpose, MainWindowEvents* events) {
    events_ = events;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hCursor = nullptr;  // the pointer follows the window's pointer style
    wc.lpszClassName = kMainWindowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    if (purpose == Purpose::HandOff) {
        // A message-only window never reaches the screen, so it needs no
        // size; working one out asks the screen for its dpi, which costs a
        // mail-link start time. It gets its size if it is ever shown.
        CreateWindowExW(kMainWindowExStyle, kMainWindowClass, L"Form1", kMainWindowStyle, 0, 0, 0, 0, HWND_MESSAGE,
                        nullptr, instance_, this);
        return hwnd_ != nullptr;
    }

    RECT place = PlaceOnScreen();
    CreateWindowExW(kMainWindowExStyle, kMainWindowClass, L"Form1", kMainWindowStyle, place.left, place.top,
                    place.right - place.left, place.bottom - place.top, nullptr, nullptr, instance_, this);
    if (hwnd_) BuildControls();
    return hwnd_ != nullptr;
}

RECT InboxhopWindow::PlaceOnScreen() {
    dpi_ = ScreenDpi();
    RECT frame = {0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    AdjustWindowRectEx(&frame, kMainWindowStyle, FALSE, kMainWindowExStyle);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return {left, top, left + width, top + height};
}

LRESULT CALLBACK InboxhopWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    InboxhopWindow* self;
    if (message == WM_NCCREATE) {
        self = static_cast<InboxhopWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<InboxhopWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    // No exception may leave the window procedure: the system's code is
    // between here and the message loop. Failures the user must see are
    // reported inside the handlers; what is left has no one to tell.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT InboxhopWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_MOUSEMOVE:
        // Over the background, or over the frame, which lets the pointer through.
        HoverRule(kPointerDefault);
        return 0;
    case WM_SETCURSOR:
        if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam))) return TRUE;
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_BUTTON) break;
        DrawPushButton(*item);
        return TRUE;
    }
    case DM_GETDEFID:
        return OnDefaultId();
    case WM_ERASEBKGND:
        OnPaintBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
    case WM_THEMECHANGED:
        // The colour scheme, high contrast or the visual style may have changed.
        OnColorsChanged();
        break;
    case WM_NEXTDLGCTL:
        OnNextDialogControl(wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        if (OnActivate(LOWORD(wParam), HIWORD(wParam) != 0)) return 0;
        break;
    case WM_SYSCOMMAND:
        // The window has no maximize button, and the command is refused
        // from every other source too (system menu, taskbar, other programs).
        if ((wParam & 0xFFF0) == SC_MAXIMIZE) return 0;
        break;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_QUERYENDSESSION:
        // Windows shuts down or the user logs off: the close handler runs
        // and never refuses.
        if (events_) events_->BeforeClose();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam && hwnd_) DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        RemovePropW(hwnd_, kPointerStyleProp);
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY: {
        HWND hwnd = hwnd_;
        hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void InboxhopWindow::OnCreate() {
    SetPropW(hwnd_, kPointerStyleProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(kPointerDefault)));
}

void InboxhopWindow::BuildControls() {
    font_ = CreateArialBold(900, dpi_);
    buttonFont_ = CreateArialBold(1125, dpi_);
    CreateControls();
    // No focus mark until the user works the keyboard.
    SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

void InboxhopWindow::CreateControls() {
    const COLORREF white = RGB(255, 255, 255);
    auto child = [&](ControlKind kind, DWORD exStyle, const wchar_t* cls, std::wstring_view text, DWORD style,
                     int id) {
        std::wstring caption(text);
        // Each control is made in its place: moving it afterwards would cost
        // a round of position messages per control.
        RECT r = ControlRect(id);
        HWND hwnd = CreateWindowExW(exStyle, cls, caption.c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                    r.right - r.left, r.bottom - r.top, hwnd_,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
        HFONT font = kind == ControlKind::SetUpButton ? buttonFont_.get() : font_.get();
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        controls_.push_back({kind, hwnd, white, {}});
    };
    // Creation order is the tab order. The frame comes first, so that screen
    // readers meet its caption before the service buttons; it takes no focus,
    // and as a group of its own it keeps the arrow keys from moving the focus
    // from the set-up button onto it.
    child(ControlKind::Frame, 0, L"BUTTON", kFrameCaption, BS_GROUPBOX | WS_GROUP, kServiceFrameId);
    // The text box out of sight holds the focus when the window opens, so
    // that no control shows a focus mark. It is no tab stop: once the user
    // has left it, Tab never takes the focus back out of sight. Read-only:
    // keys typed before the first Tab change nothing.
    child(ControlKind::TextBox, WS_EX_CLIENTEDGE, L"EDIT", L"Text1", WS_GROUP | ES_AUTOHSCROLL | ES_READONLY,
          kFocusHolderId);
    for (int i = 0; i < kServiceButtonCount; ++i) {
        // The group starts at the first; a checked button takes the group's tab stop.
        DWORD style = BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
        child(ControlKind::ServiceButton, 0, L"BUTTON", kServices[i].caption, style, kServiceButtonId + i);
    }
    // The system's button, drawn by the window in its own font and colours;
    // the system gives it the mouse, Space, focus and screen-reader support.
    child(ControlKind::SetUpButton, 0, L"BUTTON", L"Mailvane", kSetUpButtonStyle, kSetUpButtonId);
    if (const Control* button = FindControl(kSetUpButtonId)) SetButtonBackColor(button->hwnd, white);
    ClipOverlappingServiceButtons();

    // Screen readers: each service button names its group, the set-up button
    // says what it does, the text box where the user is, while it answers
    // that it is out of sight.
    for (const Control& c : controls_) {
        if (c.kind == ControlKind::ServiceButton) AnnotateControl(c.hwnd, L"", kFrameCaption);
        if (c.kind == ControlKind::SetUpButton) AnnotateControl(c.hwnd, L"", kSetUpButtonDescription);
        if (c.kind == ControlKind::TextBox) AnnotateControl(c.hwnd, kFocusHolderAccessibleName, L"", true);
    }
}

void InboxhopWindow::ClipOverlappingServiceButtons() {
    // The second service button's area begins inside the first's. A button
    // paints its whole area (the system's buttons draw with their parent's
    // clipping, which neither a window region nor clipping siblings narrows),
    // so the first repainting would wipe the left of the second's circle. Each service button leaves the
    // part it shares with the next one to it: it is cut from the button's
    // drawing when the button asks for its colours (OnCtlColor).
    for (int i = 0; i + 1 < kServiceButtonCount; ++i) {
        const RECT own = ControlRect(kServiceButtonId + i), next = ControlRect(kServiceButtonId + i + 1);
        RECT shared;
        if (!IntersectRect(&shared, &own, &next)) continue;
        OffsetRect(&shared, -own.left, -own.top);
        for (Control& c : controls_) {
            if (GetDlgCtrlID(c.hwnd) == kServiceButtonId + i) c.shared = shared;
        }
    }
}

RECT InboxhopWindow::ControlRect(int id) const {
    for (const Placement& p : kLayout) {
        if (p.id != id) continue;
        int left = Scale(p.left), top = Scale(p.top);
        return {left, top, left + Scale(p.width), top + Scale(p.height)};
    }
    return {};
}

const Control* InboxhopWindow::FindControl(int id) const {
    for (const Control& c : controls_) {
        if (c.hwnd && GetDlgCtrlID(c.hwnd) == id) return &c;
    }
    return nullptr;
}

void InboxhopWindow::OnCommand(int id, int code, HWND) {
    if (id >= kServiceButtonId && id < kServiceButtonId + kServiceButtonCount && code == BN_CLICKED) {
        OnServiceButtonClicked(id - kServiceButtonId);
    } else if (id == kSetUpButtonId && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) {
        // An owner-drawn button reports the second click of a double click
        // as a double click; like any push button, it is a press of its own.
        if (events_) events_->SetUpMailLinks();
    }
}

bool InboxhopWindow::IsServiceSelected(int index) const {
    const Control* c = FindControl(kServiceButtonId + index);
    if (!c) return index == selectedService_;  // no controls: the window keeps the choice
    return SendMessageW(c->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool InboxhopWindow::MarkService(int index) {
    if (HasControls()) CheckServiceButton(index);
    // Selecting the selected button again is no new selection.
    if (index == selectedService_) return false;
    selectedService_ = index;
    return true;
}

void InboxhopWindow::CheckServiceButton(int index) {
    CheckRadioButton(hwnd_, kServiceButtonId, kServiceButtonId + kServiceButtonCount - 1, kServiceButtonId + index);
}

void InboxhopWindow::MakeShowable() {
    if (HasControls() || !hwnd_) return;
    SetParent(hwnd_, nullptr);
    RECT place = PlaceOnScreen();
    SetWindowPos(hwnd_, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    BuildControls();
    if (selectedService_ >= 0) CheckServiceButton(selectedService_);
}

void InboxhopWindow::OnServiceButtonClicked(int index) {
    // The event goes out when the button becomes the selected one; clicking
    // the selected button again is none. The button is the selected one from
    // then on, whatever the event's handler achieves.
    if (!IsServiceSelected(index) || index == selectedService_) return;
    selectedService_ = index;
    if (events_) events_->ServiceChosen(index);
}

void InboxhopWindow::HoverRule(int style) {
    // A busy window keeps its pointer wherever the mouse goes.
    int current = PointerStyle();
    if (current == kPointerBusy || current == style) return;
    SetPointerStyle(style);
}

int InboxhopWindow::PointerStyle() const {
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(hwnd_, kPointerStyleProp)));
}

void InboxhopWindow::SetPointerStyle(int style) {
    SetPropW(hwnd_, kPointerStyleProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(style)));
    // Show the new pointer at once when it is over the window.
    POINT pt;
    if (GetCursorPos(&pt) && GetForegroundWindow() == hwnd_) {
        HWND under = WindowFromPoint(pt);
        if (under == hwnd_ || IsChild(hwnd_, under)) {
            // No mouse message: the pointer did not move, so no hover rule runs.
            SendMessageW(hwnd_, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(HTCLIENT, 0));
        }
    }
}

bool InboxhopWindow::OnSetCursor(HWND over, int hitTest, UINT mouseMessage) {
    // The pointer moving over the set-up button sets the custom style. (Moves
    // over the background and the frame, which lets the pointer through,
    // arrive as the window's own WM_MOUSEMOVE.)
    if (mouseMessage == WM_MOUSEMOVE && over && GetDlgCtrlID(over) == kSetUpButtonId && IsChild(hwnd_, over)) {
        HoverRule(kPointerCustom);
    }
    // The style covers the whole client area, the controls included.
    if (hitTest != HTCLIENT) return false;
    HCURSOR cursor;
    switch (PointerStyle()) {
    case kPointerBusy:
        cursor = LoadCursorW(nullptr, IDC_WAIT);
        break;
    case kPointerCustom:
        cursor = customPointer_ ? customPointer_.get() : LoadCursorW(nullptr, IDC_ARROW);
        break;
    default:
        cursor = LoadCursorW(nullptr, IDC_ARROW);
        break;
    }
    SetCursor(cursor);
    return true;
}

LRESULT InboxhopWindow::OnDefaultId() {
    // The dialog manager asks which button Enter presses: the set-up button
    // while it has the focus, as a focused push button in a dialog is the
    // default one. Elsewhere Enter presses nothing.
    const Control* button = FindControl(kSetUpButtonId);
    if (button && GetFocus() == button->hwnd) return MAKELRESULT(kSetUpButtonId, DC_HASDEFID);
    return 0;
}

COLORREF InboxhopWindow::Shown(COLORREF backColor) {
    // The system's button text is drawn only on a background it reads on:
    // the white, or the system's own face when it would not read there.
    return UseSystemColors() ? GetSysColor(COLOR_BTNFACE) : ResolveColor(backColor);
}

void InboxhopWindow::OnPaintBackground(HDC hdc) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    FillRect(hdc, &rc, brushes_.Get(Shown(backColor_)));
    // The frame's inside shows the frame's own colour.
    for (const Control& c : controls_) {
        if (c.kind == ControlKind::Frame && c.hwnd) {
            FillFrameInside(hwnd_, c.hwnd, hdc, brushes_.Get(Shown(c.backColor)));
        }
    }
}

LRESULT InboxhopWindow::OnCtlColor(HDC hdc, HWND control) {
    COLORREF color = backColor_;
    for (const Control& c : controls_) {
        if (c.hwnd != control) continue;
        color = c.backColor;
        if (!IsRectEmpty(&c.shared)) ExcludeClipRect(hdc, c.shared.left, c.shared.top, c.shared.right, c.shared.bottom);
    }
    color = Shown(color);
    SetBkColor(hdc, color);
    SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
    return reinterpret_cast<LRESULT>(brushes_.Get(color));
}

void InboxhopWindow::OnColorsChanged() {
    // Brushes of the old colours go; the window and its controls repaint in
    // the new scheme.
    brushes_.Clear();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void InboxhopWindow::SetBackColors(COLORREF color) {
    backColor_ = color;
    InvalidateRect(hwnd_, nullptr, TRUE);
    for (Control& control : controls_) {
        if (control.kind == ControlKind::ServiceButton || control.kind == ControlKind::Frame) {
            SetControlBackColor(control, color);
        }
    }
}

void InboxhopWindow::SetControlBackColor(Control& control, COLORREF color) {
    control.backColor = color;
    if (control.kind == ControlKind::SetUpButton) SetButtonBackColor(control.hwnd, color);
    InvalidateRect(control.hwnd, nullptr, TRUE);
    if (control.kind == ControlKind::Frame) {
        // The window paints the frame's inside, and the controls over it
        // repaint with it.
        RECT frame = ChildRectInParent(hwnd_, control.hwnd);
        InvalidateRect(hwnd_, &frame, TRUE);
    }
}

void InboxhopWindow::SetCaption(std::wstring_view caption) {
    std::wstring text(caption);
    if (!SetWindowTextW(hwnd_, text.c_str())) throw Failure(L"The window caption could not be set");
}

bool InboxhopWindow::OnActivate(int state, bool minimized) {
    // A plain window gives the focus to itself when it becomes active; like
    // a dialog, this one gives it back to the control that had it (at first
    // the text box), for instance after a message box closes.
    if (state == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        return false;
    }
    if (minimized) return false;
    HWND target = lastFocus_ && IsChild(hwnd_, lastFocus_) ? lastFocus_ : nullptr;
    if (!target) {
        const Control* text = FindControl(kFocusHolderId);
        target = text ? text->hwnd : nullptr;
    }
    if (!target) return false;
    SetFocus(target);
    return true;
}

void InboxhopWindow::OnNextDialogControl(WPARAM wParam, LPARAM lParam) {
    // The dialog manager asks the window to move the focus (Tab, arrows).
    HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                               : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0);
    if (next) SetFocus(next);
}

int InboxhopWindow::ShowMessage(std::wstring_view text, UINT type) {
    std::wstring body(text);
    return MessageBoxW(IsWindowVisible(hwnd_) ? hwnd_ : nullptr, body.c_str(), ApplicationTitle().c_str(), type);
}

HWND InboxhopWindow::DialogOwner() const {
    return GetAncestor(hwnd_, GA_PARENT) == GetDesktopWindow() ? hwnd_ : nullptr;
}

void InboxhopWindow::SetProgramIcon() { SetWindowIcons(hwnd_, GetModuleHandleW(nullptr), kProgramIconId); }

void InboxhopWindow::ShowErrorReport(const std::wstring& text) {
    std::wstring title(kErrorBoxTitle);
    MessageBoxW(IsWindowVisible(hwnd_) ? hwnd_ : nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void InboxhopWindow::OnClose() {
    if (events_) events_->BeforeClose();
    // The close always goes ahead; the window's end ends the program.
    if (hwnd_) DestroyWindow(hwnd_);
}

int InboxhopWindow::Run(int showCommand) {
    MakeShowable();
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    if (const Control* text = FindControl(kFocusHolderId)) SetFocus(text->hwnd);
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// The skin file beside the program, when there is one: a normal file (not a
// folder, not hidden, not a system file) named x\o.cjs in the program
// folder. What was done before a failure stays.
void InboxhopWindow::ApplySkin() {
    const std::wstring path = ProgramFolder() + std::wstring(kSkinFile);
    if (!MatchesNormalFile(path)) return;

    // The window, the frame and the service buttons take the button-face
    // colour first (the text box and the set-up button keep theirs), following
    // the system's if it changes; the skin then paints over that as it says.
    SetBackColors(kButtonFaceColor);

    // The skin component's five steps; the first failure ends the routine.
    SkinFramework& skin = TheSkin();
    skin.LoadSkin(path, L"");
    skin.SetOptions(skin.Options() | SkinFramework::kSkinControls);
    skin.SetApplyFonts(true);
    skin.SetApplyCaption(true);
    skin.ApplyWindow(hwnd_);
}

void InboxhopWindow::LoadPointerFile(std::wstring_view path) {
    std::wstring text(path);
    if (text.find(L'\0') != std::wstring::npos) ThrowSystemError(ERROR_INVALID_NAME);
    SetLastError(ERROR_SUCCESS);
    HANDLE cursor = LoadImageW(nullptr, text.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE);
    if (!cursor) {
        DWORD code = GetLastError();
        if (code == ERROR_SUCCESS) throw Failure(L"Invalid picture");
        ThrowSystemError(code);
    }
    customPointer_ = ScopedCursor(static_cast<HCURSOR>(cursor));
}

}  // namespace inboxhop

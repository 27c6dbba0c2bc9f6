#include "ui/push_button.h"

#include <oleacc.h>

#include <new>

namespace inboxhop {

namespace {

struct ButtonState {
    HFONT font = nullptr;
    COLORREF textColor = CLR_INVALID;  // CLR_INVALID: the system's button-text colour
    COLORREF backColor = RGB(255, 255, 255);
    bool mouseDown = false;  // pressed with the mouse, pointer captured
    bool spaceDown = false;  // pressed with the Space key
    bool pointerInside = false;
};

ButtonState* StateOf(HWND hwnd) { return reinterpret_cast<ButtonState*>(GetWindowLongPtrW(hwnd, 0)); }

bool LooksPressed(const ButtonState& s) { return s.spaceDown || (s.mouseDown && s.pointerInside); }

void Click(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    if (parent) {
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
    }
}

void Paint(HWND hwnd, ButtonState& s) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);

    HBRUSH back = CreateSolidBrush(s.backColor);
    FillRect(hdc, &rc, back);
    DeleteObject(back);

    bool pressed = LooksPressed(s);
    DrawEdge(hdc, &rc, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    int length = GetWindowTextLengthW(hwnd);
    wchar_t stackText[64];
    wchar_t* text = length < 64 ? stackText : new (std::nothrow) wchar_t[length + 1];
    if (text) {
        GetWindowTextW(hwnd, text, length + 1);
        RECT textRect = rc;
        if (pressed) OffsetRect(&textRect, 1, 1);
        HGDIOBJ oldFont = SelectObject(hdc, s.font ? s.font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(hdc, TRANSPARENT);
        COLORREF color = IsWindowEnabled(hwnd)
                             ? (s.textColor == CLR_INVALID ? GetSysColor(COLOR_BTNTEXT) : s.textColor)
                             : GetSysColor(COLOR_GRAYTEXT);
        SetTextColor(hdc, color);
        DrawTextW(hdc, text, length, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(hdc, oldFont);
        if (text != stackText) delete[] text;
    }

    // The focus mark follows the window's keyboard cues, like the system's buttons.
    LRESULT uiState = SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0);
    if (GetFocus() == hwnd && !(uiState & UISF_HIDEFOCUS)) {
        RECT focus = rc;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(hdc, &focus);
    }
    EndPaint(hwnd, &ps);
}

// Screen readers and UI automation see the control as a standard push
// button. The accessibility library is loaded only when someone asks.
LRESULT AccessibleObject(HWND hwnd, WPARAM wParam) {
    static HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
    if (!oleacc) return 0;
    using ProxyFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LONG, REFIID, void**);
    using ResultFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    auto createProxy = reinterpret_cast<ProxyFn>(
        reinterpret_cast<void*>(GetProcAddress(oleacc, "CreateStdAccessibleProxyW")));
    auto resultFromObject = reinterpret_cast<ResultFn>(
        reinterpret_cast<void*>(GetProcAddress(oleacc, "LresultFromObject")));
    if (!createProxy || !resultFromObject) return 0;
    IAccessible* accessible = nullptr;
    if (FAILED(createProxy(hwnd, L"Button", OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&accessible)))) {
        return 0;
    }
    LRESULT result = resultFromObject(IID_IAccessible, wParam, accessible);
    accessible->Release();
    return result;
}

LRESULT CALLBACK PushButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ButtonState* s = StateOf(hwnd);
    switch (message) {
    case WM_NCCREATE: {
        auto* state = new (std::nothrow) ButtonState;
        if (!state) return FALSE;
        SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(state));
        break;
    }
    case WM_NCDESTROY:
        delete s;
        SetWindowLongPtrW(hwnd, 0, 0);
        break;
    case WM_PAINT:
        if (s) {
            Paint(hwnd, *s);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills the whole button
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->font);
    case kPushButtonSetTextColor:
        s->textColor = static_cast<COLORREF>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case kPushButtonSetBackColor:
        s->backColor = static_cast<COLORREF>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        if (message == WM_KILLFOCUS) s->spaceDown = false;
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case WM_GETDLGCODE: {
        // Enter on the focused button presses it instead of going to the
        // window's default action.
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        LRESULT code = DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetFocus(hwnd);
        SetCapture(hwnd);
        s->mouseDown = true;
        s->pointerInside = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_MOUSEMOVE: {
        if (s->mouseDown) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            bool inside = PtInRect(&rc, pt) != FALSE;
            if (inside != s->pointerInside) {
                s->pointerInside = inside;
                InvalidateRect(hwnd, nullptr, TRUE);
            }
        }
        HWND parent = GetParent(hwnd);
        if (parent) {
            SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), kPushButtonMouseMove),
                         reinterpret_cast<LPARAM>(hwnd));
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (s->mouseDown) {
            bool clicked = LooksPressed(*s);
            s->mouseDown = false;
            ReleaseCapture();
            InvalidateRect(hwnd, nullptr, TRUE);
            if (clicked) Click(hwnd);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (s->mouseDown) {
            s->mouseDown = false;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            if (!s->spaceDown && !(lParam & 0x40000000)) {
                s->spaceDown = true;
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            return 0;
        }
        if (wParam == VK_RETURN) {
            Click(hwnd);
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE && s->spaceDown) {
            s->spaceDown = false;
            InvalidateRect(hwnd, nullptr, TRUE);
            Click(hwnd);
            return 0;
        }
        break;
    case BM_CLICK:
        Click(hwnd);
        return 0;
    case WM_GETOBJECT:
        if (static_cast<LONG>(lParam) == OBJID_CLIENT) return AccessibleObject(hwnd, wParam);
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

bool RegisterPushButtonClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = PushButtonProc;
    wc.cbWndExtra = sizeof(ButtonState*);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kPushButtonClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace inboxhop

#include "ui/push_button.h"

#include "app/com_win.h"
#include "app/system_library.h"

#include <oleacc.h>

#include <new>
#include <string>

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

// The functions of the accessibility libraries that the button uses. They
// are loaded the first time an accessibility tool asks for the button.
struct AccessibilityFunctions {
    HRESULT(WINAPI* createStdAccessibleObject)(HWND, LONG, REFIID, void**) = nullptr;
    LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
    BSTR(WINAPI* sysAllocString)(const OLECHAR*) = nullptr;

    bool ok() const { return createStdAccessibleObject && lresultFromObject && sysAllocString; }
};

template <typename Fn>
void Resolve(HMODULE module, const char* name, Fn& fn) {
    if (module) fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const AccessibilityFunctions& Accessibility() {
    static const AccessibilityFunctions functions = [] {
        AccessibilityFunctions f;
        HMODULE oleacc = LoadSystemLibrary(L"oleacc.dll");
        HMODULE oleaut = LoadSystemLibrary(L"oleaut32.dll");
        Resolve(oleacc, "CreateStdAccessibleObject", f.createStdAccessibleObject);
        Resolve(oleacc, "LresultFromObject", f.lresultFromObject);
        Resolve(oleaut, "SysAllocString", f.sysAllocString);
        return f;
    }();
    return functions;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// What screen readers and UI automation see of the button: the system's
// standard object for a window's client area, told that it is a push button
// named by its caption, with "Press" as its default action. (The system's
// ready-made button proxy is not used: some systems lack it.)
class ButtonAccessible final : public IAccessible, public IOleWindow {
public:
    ButtonAccessible(HWND hwnd, IAccessible* standard) : hwnd_(hwnd), standard_(standard) {}
    ButtonAccessible(const ButtonAccessible&) = delete;
    ButtonAccessible& operator=(const ButtonAccessible&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
            *object = static_cast<IAccessible*>(this);
        } else if (riid == IID_IOleWindow) {
            *object = static_cast<IOleWindow*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: no type information; tools use the IAccessible methods.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible: what makes it a push button, and the rest from the
    // standard object.
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) return standard_->get_accRole(child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_PUSHBUTTON;
        return S_OK;
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) return standard_->get_accName(child, name);
        if (!name) return E_POINTER;
        // No exception may leave a COM method.
        try {
            int length = GetWindowTextLengthW(hwnd_);
            std::wstring text(static_cast<size_t>(length) + 1, L'\0');
            text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), length + 1)));
            *name = Accessibility().sysAllocString(text.c_str());
        } catch (...) {
            *name = nullptr;
        }
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        HRESULT hr = standard_->get_accState(child, state);
        if (FAILED(hr) || !IsSelf(child) || state->vt != VT_I4) return hr;
        state->lVal |= STATE_SYSTEM_FOCUSABLE;
        if (SendMessageW(hwnd_, BM_GETSTATE, 0, 0) & BST_PUSHED) state->lVal |= STATE_SYSTEM_PRESSED;
        return hr;
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!IsSelf(child)) return standard_->get_accDefaultAction(child, action);
        if (!action) return E_POINTER;
        *action = Accessibility().sysAllocString(L"Press");
        return *action ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child)) return standard_->accDoDefaultAction(child);
        if (!IsWindowEnabled(hwnd_)) return E_FAIL;
        // Posted, so that the tool is not held up by what the press does.
        return PostMessageW(hwnd_, BM_CLICK, 0, 0) ? S_OK : E_FAIL;
    }
    STDMETHODIMP get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    STDMETHODIMP get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override { return standard_->get_accValue(child, value); }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return standard_->get_accHelp(child, help); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
    STDMETHODIMP get_accSelection(VARIANT* selection) override { return standard_->get_accSelection(selection); }
    STDMETHODIMP accSelect(long flags, VARIANT child) override { return standard_->accSelect(flags, child); }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override { return standard_->accHitTest(x, y, child); }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    // IOleWindow: tools find the window behind the object with it.
    STDMETHODIMP GetWindow(HWND* hwnd) override {
        if (!hwnd) return E_POINTER;
        *hwnd = hwnd_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    ~ButtonAccessible() { standard_->Release(); }

    LONG refs_ = 1;
    HWND hwnd_;
    IAccessible* standard_;
};

// The answer to WM_GETOBJECT for the button's client area; 0 lets the system
// answer instead.
LRESULT AccessibleObject(HWND hwnd, WPARAM wParam) {
    // Handing the object out goes through COM.
    EnsureComInitialized();
    const AccessibilityFunctions& api = Accessibility();
    if (!api.ok()) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(api.createStdAccessibleObject(hwnd, OBJID_CLIENT, IID_IAccessible,
                                             reinterpret_cast<void**>(&standard))) ||
        !standard) {
        return 0;
    }
    auto* accessible = new (std::nothrow) ButtonAccessible(hwnd, standard);
    if (!accessible) {
        standard->Release();
        return 0;
    }
    LRESULT result = api.lresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(accessible));
    accessible->Release();
    return result;
}

LRESULT HandleButtonMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
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
    case BM_GETSTATE: {
        // As the system's buttons answer it; accessibility reads it.
        LRESULT state = 0;
        if (LooksPressed(*s)) state |= BST_PUSHED;
        if (GetFocus() == hwnd) state |= BST_FOCUS;
        return state;
    }
    case WM_GETOBJECT:
        if (static_cast<LONG>(lParam) == OBJID_CLIENT) return AccessibleObject(hwnd, wParam);
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK PushButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // No exception may leave the window procedure: the system's code is
    // between here and the message loop.
    try {
        return HandleButtonMessage(hwnd, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
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

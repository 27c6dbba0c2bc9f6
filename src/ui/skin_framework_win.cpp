#include "ui/skin_framework.h"

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/failure.h"
#include "base/scoped.h"
#include "base/system_error.h"
#include "base/system_library.h"
#include "ui/paint.h"

namespace inboxhop {

namespace {

// A control the skin gives a font or draws without its visual style, and
// what it had before, so that the skin can be taken off and put back.
struct StyledControl {
    HWND control;
    HFONT own;    // the control's font before the skin's
    HFONT font;   // the skin's font for it; null: the skin gives it none
    bool plain;   // drawn without the system's visual style while the skin shows
};

// What the component keeps for one skinned window, for the window's life.
struct SkinnedWindow {
    WNDPROC previous = nullptr;  // the window's own message handling
    Skin skin;
    bool controls = false;
    bool caption = false;  // the title bar takes the skin's colours while it shows
    bool shown = false;    // the skin's fonts, visual styles and title-bar colours are in force
    BrushCache brushes;
    std::vector<ScopedFont> fonts;  // fonts made for controls, freed with the window
    std::vector<StyledControl> styled;

    // Brushes are made when the skin is applied, so that painting never
    // allocates.
    void AddBrush(const std::optional<SkinColor>& color) {
        if (color && !brushes.Get(ToColorRef(*color))) ThrowSystemError(GetLastError());
    }
    HBRUSH Brush(COLORREF color) { return brushes.Get(color); }
};

SkinnedWindow* StateOf(HWND window) { return static_cast<SkinnedWindow*>(GetPropW(window, kSkinAppliedProp)); }

// A function of a system library, loaded from the system folder only, or
// null when this version of Windows lacks it.
FARPROC SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = LoadSystemLibrary(library);
    return module ? GetProcAddress(module, name) : nullptr;
}

// Turns the system's visual style off for a control, so that it draws its
// text and background in the colours the skin gives it; or back on.
void SetVisualStyle(HWND control, bool on) {
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static auto setWindowTheme =
        reinterpret_cast<SetWindowThemeFn>(reinterpret_cast<void*>(SystemFunction(L"uxtheme.dll", "SetWindowTheme")));
    if (!setWindowTheme) return;
    // Empty names: no visual style; none: the system's own again.
    if (on) {
        setWindowTheme(control, nullptr, nullptr);
    } else {
        setWindowTheme(control, L"", L"");
    }
}

WindowAttributeSetter& AttributeSetter() {
    static WindowAttributeSetter setter = reinterpret_cast<WindowAttributeSetter>(
        reinterpret_cast<void*>(SystemFunction(L"dwmapi.dll", "DwmSetWindowAttribute")));
    return setter;
}

// The title bar in the skin's colours, or back in the system's.
void ColorTitleBar(HWND window, const SkinStyle& caption, bool skinned) {
    WindowAttributeSetter setAttribute = AttributeSetter();
    if (!setAttribute) return;
    auto set = [&](DWORD attribute, const std::optional<SkinColor>& color) {
        if (!color) return;  // the skin left it to the system
        COLORREF value = skinned ? ToColorRef(*color) : kDwmColorDefault;
        setAttribute(window, attribute, &value, sizeof(value));
    };
    set(kDwmCaptionColor, caption.back);
    set(kDwmTextColor, caption.text);
}

// Puts the skin's fonts, plain drawing and title-bar colours on the window,
// or takes them off, giving back what the controls had. Its colours need no
// such step: they are chosen at each paint.
void ShowSkin(HWND window, SkinnedWindow& state, bool show) {
    state.shown = show;
    for (const StyledControl& c : state.styled) {
        if (c.font) SendMessageW(c.control, WM_SETFONT, reinterpret_cast<WPARAM>(show ? c.font : c.own), TRUE);
        if (c.plain) SetVisualStyle(c.control, !show);
    }
    if (state.caption) ColorTitleBar(window, state.skin.Own(SkinPart::Caption), show);
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

// Which part of the skin styles a control, told from its window class and
// style. Nothing for controls the skin does not know.
std::optional<SkinPart> PartOf(HWND control) {
    wchar_t name[64];
    if (!GetClassNameW(control, name, 64)) return std::nullopt;
    if (lstrcmpiW(name, L"Edit") == 0) return SkinPart::TextBox;
    if (lstrcmpiW(name, L"Button") == 0) {
        switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
        case BS_OWNERDRAW:
            return SkinPart::Button;  // the set-up button, drawn by its window
        case BS_GROUPBOX:
            return SkinPart::Frame;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return SkinPart::Option;
        }
    }
    return std::nullopt;
}

struct FramePaint {
    HWND window;
    HDC hdc;
    HBRUSH brush;
};

// A frame draws only its line and caption; the window paints its inside.
BOOL CALLBACK PaintFrameInside(HWND control, LPARAM param) {
    auto* paint = reinterpret_cast<FramePaint*>(param);
    if (GetParent(control) == paint->window && PartOf(control) == SkinPart::Frame) {
        FillFrameInside(paint->window, control, paint->hdc, paint->brush);
    }
    return TRUE;
}

LRESULT HandleSkinnedMessage(HWND window, SkinnedWindow* state, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = state->previous;

    // In the system's colours (high contrast, a dark scheme) the window
    // paints itself: the skin's colours stay out of it.
    switch (message) {
    case WM_ERASEBKGND: {
        if (UseSystemColors()) break;
        HDC hdc = reinterpret_cast<HDC>(wParam);
        LRESULT erased = 1;
        if (const auto& back = state->skin.Own(SkinPart::Window).back) {
            RECT rc;
            GetClientRect(window, &rc);
            FillRect(hdc, &rc, state->Brush(ToColorRef(*back)));
        } else {
            erased = CallWindowProcW(previous, window, message, wParam, lParam);
        }
        const auto& frameBack = state->skin.StyleOf(SkinPart::Frame).back;
        if (state->controls && frameBack) {
            FramePaint paint{window, hdc, state->Brush(ToColorRef(*frameBack))};
            EnumChildWindows(window, PaintFrameInside, reinterpret_cast<LPARAM>(&paint));
        }
        return erased;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT: {
        // The window answers first; the skin then overrides what it sets.
        LRESULT answer = CallWindowProcW(previous, window, message, wParam, lParam);
        if (!state->controls || UseSystemColors()) return answer;
        std::optional<SkinPart> part = PartOf(reinterpret_cast<HWND>(lParam));
        if (!part) return answer;
        SkinStyle style = state->skin.StyleOf(*part);
        HDC hdc = reinterpret_cast<HDC>(wParam);
        // Without a text colour of the skin's, the window's own stays, unless
        // it would not read on the skin's background.
        if (style.text) {
            SetTextColor(hdc, ToColorRef(*style.text));
        } else if (style.back) {
            SetTextColor(hdc, ReadableOn(GetTextColor(hdc), ToColorRef(*style.back)));
        }
        if (style.back) {
            SetBkColor(hdc, ToColorRef(*style.back));
            return reinterpret_cast<LRESULT>(state->Brush(ToColorRef(*style.back)));
        }
        return answer;
    }
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
    case WM_THEMECHANGED: {
        // The scheme may have changed: the window follows it first, then the
        // skin goes on or comes off as a whole.
        LRESULT answer = CallWindowProcW(previous, window, message, wParam, lParam);
        bool show = !UseSystemColors();
        if (show != state->shown) ShowSkin(window, *state, show);
        return answer;
    }
    case WM_NCDESTROY:
        // The window is going: give it back its own handling and let go.
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(window, kSkinAppliedProp);
        delete state;
        break;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

LRESULT CALLBACK SkinnedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SkinnedWindow* state = StateOf(window);
    if (!state) return DefWindowProcW(window, message, wParam, lParam);
    WNDPROC previous = state->previous;
    // No exception may leave the window procedure; the window's own
    // handling answers instead.
    try {
        return HandleSkinnedMessage(window, state, message, wParam, lParam);
    } catch (...) {
        return CallWindowProcW(previous, window, message, wParam, lParam);
    }
}

struct ControlPass {
    SkinnedWindow* state;
    bool fonts;
    int dpi;
};

// Makes the skin's font for a control and notes what the skin changes on
// it; ShowSkin puts that on.
void SkinOneControl(HWND control, ControlPass* pass) {
    std::optional<SkinPart> part = PartOf(control);
    if (!part) return;
    SkinStyle style = pass->state->skin.StyleOf(*part);
    StyledControl styled{control, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), nullptr, false};
    if (pass->fonts && style.font) {
        const SkinFont& f = *style.font;
        ScopedFont font = CreateUiFont(f.face, static_cast<int>(std::lround(f.points * 100)), f.bold, f.italic,
                                       DEFAULT_CHARSET, pass->dpi);
        if (font) {
            pass->state->fonts.push_back(std::move(font));
            styled.font = pass->state->fonts.back().get();
        }
    }
    if (*part == SkinPart::Button) {
        // The set-up button keeps its colours itself, and draws in the
        // system's when the scheme asks for them.
        if (style.back) SetButtonBackColor(control, ToColorRef(*style.back));
        if (style.text) SetButtonTextColor(control, ToColorRef(*style.text));
    } else if ((*part == SkinPart::Frame || *part == SkinPart::Option) && (style.back || style.text)) {
        styled.plain = true;
    }
    if (styled.font || styled.plain) pass->state->styled.push_back(styled);
}

BOOL CALLBACK SkinControl(HWND control, LPARAM param) {
    // No exception may leave a callback of the system. A control that cannot
    // be skinned (out of memory) keeps its look, and the others still get theirs.
    try {
        SkinOneControl(control, reinterpret_cast<ControlPass*>(param));
    } catch (...) {
    }
    return TRUE;
}

}  // namespace

void SkinFramework::LoadSkin(std::wstring_view path, std::wstring_view scheme) {
    std::wstring file(path);
    if (file.find(L'\0') != std::wstring::npos) ThrowSystemError(ERROR_INVALID_NAME);
    ScopedFile handle(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) ThrowSystemError(GetLastError());
    // One byte beyond the limit is enough to tell that a file is too large.
    std::string bytes(kMaxSkinFileBytes + 1, '\0');
    size_t got = 0;
    DWORD error = ERROR_SUCCESS;
    while (got < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(handle.get(), bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &read, nullptr)) {
            error = GetLastError();
            break;
        }
        if (read == 0) break;
        got += read;
    }
    handle.reset();
    if (error != ERROR_SUCCESS) ThrowSystemError(error);
    bytes.resize(got);
    // A skin loaded before stays in force until this one is read whole.
    skin_ = ParseSkin(bytes, scheme);
}

void SkinFramework::ApplyWindow(HWND window) {
    if (!skin_) throw Failure(L"No skin is loaded");
    if (!IsWindow(window)) ThrowSystemError(ERROR_INVALID_WINDOW_HANDLE);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != GetCurrentProcessId()) ThrowSystemError(ERROR_ACCESS_DENIED);

    auto fresh = std::make_unique<SkinnedWindow>();
    fresh->skin = *skin_;
    fresh->controls = (options_ & kSkinControls) != 0;
    fresh->AddBrush(fresh->skin.Own(SkinPart::Window).back);
    for (SkinPart part : {SkinPart::Frame, SkinPart::Option, SkinPart::TextBox}) {
        fresh->AddBrush(fresh->skin.StyleOf(part).back);
    }

    SkinnedWindow* state = StateOf(window);
    if (state) {
        // Skinned before: the old skin comes off, and the new one takes its
        // place. The old fonts stay with the window, as controls may still
        // use them; the old brushes go with `fresh`.
        if (state->shown) ShowSkin(window, *state, false);
        state->styled.clear();
        std::swap(state->skin, fresh->skin);
        std::swap(state->controls, fresh->controls);
        std::swap(state->brushes, fresh->brushes);
    } else {
        if (!SetPropW(window, kSkinAppliedProp, fresh.get())) ThrowSystemError(GetLastError());
        SetLastError(ERROR_SUCCESS);
        LONG_PTR previous =
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinnedWindowProc));
        if (!previous) {
            DWORD error = GetLastError();
            RemovePropW(window, kSkinAppliedProp);
            ThrowSystemError(error != ERROR_SUCCESS ? error : ERROR_INVALID_WINDOW_HANDLE);
        }
        fresh->previous = reinterpret_cast<WNDPROC>(previous);
        state = fresh.release();
    }

    if (state->controls) {
        ControlPass pass{state, applyFonts_, ScreenDpi()};
        EnumChildWindows(window, SkinControl, reinterpret_cast<LPARAM>(&pass));
    }
    state->caption = applyCaption_;
    // In the system's colours (high contrast, a dark scheme) the whole skin
    // stays off until the scheme changes: its fonts would clip the fixed-size
    // captions, and its title-bar colour would paint over the scheme's.
    if (!UseSystemColors()) {
        ShowSkin(window, *state, true);
    } else {
        RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

WindowAttributeSetter ReplaceWindowAttributeSetter(WindowAttributeSetter setter) {
    return std::exchange(AttributeSetter(), setter);
}

}  // namespace inboxhop

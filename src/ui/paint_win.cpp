#include "ui/paint.h"

#include <string>

namespace inboxhop {

namespace {

constexpr wchar_t kBackColorProp[] = L"Inboxhop.BackColor";
constexpr wchar_t kTextColorProp[] = L"Inboxhop.TextColor";

// Colours are kept one above their value, so that 0 (no property) means
// "not set" and black stays a colour.
void SetColorProp(HWND window, const wchar_t* name, COLORREF color) {
    SetPropW(window, name, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(color) + 1));
    InvalidateRect(window, nullptr, TRUE);
}

COLORREF ColorProp(HWND window, const wchar_t* name, COLORREF fallback) {
    auto stored = reinterpret_cast<UINT_PTR>(GetPropW(window, name));
    return stored ? static_cast<COLORREF>(stored - 1) : fallback;
}

}  // namespace

int ScreenDpi() {
    ScopedGetDC screen(nullptr);
    int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

ScopedFont CreateUiFont(std::wstring_view face, int hundredthsOfPoint, bool bold, bool italic, BYTE charset,
                        int dpi) {
    LOGFONTW lf = {};
    lf.lfHeight = -MulDiv(hundredthsOfPoint, dpi, 7200);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic ? TRUE : FALSE;
    lf.lfCharSet = charset;
    lf.lfQuality = DEFAULT_QUALITY;
    std::wstring name(face.substr(0, LF_FACESIZE - 1));
    lstrcpynW(lf.lfFaceName, name.c_str(), LF_FACESIZE);
    return ScopedFont(CreateFontIndirectW(&lf));
}

HBRUSH BrushCache::Get(COLORREF color) {
    for (const auto& entry : brushes_) {
        if (entry.first == color) return entry.second.get();
    }
    ScopedBrush brush(CreateSolidBrush(color));
    if (!brush) return nullptr;
    HBRUSH handle = brush.get();
    brushes_.emplace_back(color, std::move(brush));
    return handle;
}

RECT ChildRectInParent(HWND parent, HWND child) {
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void FillFrameInside(HWND parent, HWND frame, HDC hdc, HBRUSH brush) {
    RECT rc = ChildRectInParent(parent, frame);
    FillRect(hdc, &rc, brush);
}

void SetButtonBackColor(HWND button, COLORREF color) { SetColorProp(button, kBackColorProp, color); }

void SetButtonTextColor(HWND button, COLORREF color) { SetColorProp(button, kTextColorProp, color); }

void DrawPushButton(const DRAWITEMSTRUCT& item) {
    HWND button = item.hwndItem;
    HDC hdc = item.hDC;
    RECT rc = item.rcItem;

    ScopedBrush back(CreateSolidBrush(ColorProp(button, kBackColorProp, RGB(255, 255, 255))));
    FillRect(hdc, &rc, back ? back.get() : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawEdge(hdc, &rc, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    int length = GetWindowTextLengthW(button);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(button, text.data(), length + 1)));
    RECT textRect = rc;
    if (pressed) OffsetRect(&textRect, 1, 1);
    auto font = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
    {
        ScopedSelection selectedFont(hdc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, (item.itemState & ODS_DISABLED)
                              ? GetSysColor(COLOR_GRAYTEXT)
                              : ColorProp(button, kTextColorProp, GetSysColor(COLOR_BTNTEXT)));
        DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &textRect,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }

    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = rc;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(hdc, &focus);
    }
}

}  // namespace inboxhop

// Drawing helpers that the main window and the skin share: the screen's
// dots per inch, fonts, a brush per colour, the inside of a frame, and the
// owner-drawn push button.
#pragma once

#include <windows.h>

#include <string_view>
#include <utility>
#include <vector>

#include "base/scoped.h"

namespace inboxhop {

// Dots per inch of the screen, as the system scales text (96 when unknown).
int ScreenDpi();

// A font of `face` at `hundredthsOfPoint` for a screen of `dpi`.
ScopedFont CreateUiFont(std::wstring_view face, int hundredthsOfPoint, bool bold, bool italic, BYTE charset,
                        int dpi);

// Whether the window draws in the system's colours alone (button face,
// button text, highlight) instead of its fixed white and the skin's: when
// high contrast is on, or when the system's button text would read poorly
// on white (a dark scheme). Asked afresh each time, so a change of scheme
// shows at the next paint.
bool UseSystemColors();

// `text` when it reads well on `back`, else black or white, whichever
// reads better: so that a system colour never vanishes on a fixed one.
COLORREF ReadableOn(COLORREF text, COLORREF back);

// A colour that may name a system colour, as the window's colour settings
// do: 0x80000000 plus the system colour's index (0x8000000F: button face).
// ResolveColor answers the colour it shows now.
inline constexpr COLORREF kButtonFaceColor = 0x80000000 | COLOR_BTNFACE;
COLORREF ResolveColor(COLORREF color);

// Solid brushes, one per colour, kept until the cache goes.
class BrushCache {
public:
    // The brush for `color`, made the first time it is asked for; null when
    // the system cannot make one.
    HBRUSH Get(COLORREF color);
    // Lets go of every brush, as when the system's colours change.
    void Clear() { brushes_.clear(); }

private:
    std::vector<std::pair<COLORREF, ScopedBrush>> brushes_;
};

// A child window's rectangle in its parent's client coordinates.
RECT ChildRectInParent(HWND parent, HWND child);

// A group box draws only its line and caption; its parent paints the inside.
void FillFrameInside(HWND parent, HWND frame, HDC hdc, HBRUSH brush);

// An owner-drawn push button keeps its colours in window properties, so that
// whoever styles it (the window, the skin) and whoever draws it agree. A
// colour not set draws as the system's: white face, button-text caption.
void SetButtonBackColor(HWND button, COLORREF color);
void SetButtonTextColor(HWND button, COLORREF color);

// Draws an owner-drawn push button: its face in its colour, a raised edge
// (sunken while pressed), its window text centred in its font and text
// colour, and the focus mark when the keyboard cues ask for it. In the
// system's colours the face, text and focus mark take those instead.
void DrawPushButton(const DRAWITEMSTRUCT& item);

}  // namespace inboxhop

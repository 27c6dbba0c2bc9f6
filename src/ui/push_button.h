// The program's own push button: draws its caption in its own font and
// colours, takes part in the tab order, is pressed by the mouse or by Space
// or Enter, and reports presses and pointer moves to its parent.
#pragma once

#include <windows.h>

namespace inboxhop {

inline constexpr wchar_t kPushButtonClass[] = L"InboxhopPushButton";

// Sent to the parent as WM_COMMAND with this notification code whenever the
// pointer moves over the button. Presses arrive as BN_CLICKED.
inline constexpr WORD kPushButtonMouseMove = 0x0100;

// Messages the button understands beyond the usual window messages:
// WM_SETFONT/WM_GETFONT, BM_CLICK, and these two for its colours.
inline constexpr UINT kPushButtonSetTextColor = WM_USER + 1;  // wParam: COLORREF
inline constexpr UINT kPushButtonSetBackColor = WM_USER + 2;  // wParam: COLORREF

bool RegisterPushButtonClass(HINSTANCE instance);

}  // namespace inboxhop

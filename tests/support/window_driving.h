// Driving another process's window as a user would: real mouse and keyboard
// input through SendInput, and reading back what the window shows (client
// rectangles, control lookup, focus, window properties).
#pragma once

#include <windows.h>

#include <initializer_list>

#include "wait_until.h"

namespace testing_support {

RECT ClientRect(HWND window);
// A child's rectangle, and its centre, in its parent's client coordinates.
RECT RectInParent(HWND child);
POINT CentreInParent(HWND child);
POINT ClientToScreenPoint(HWND window, POINT client);
HWND ControlById(HWND window, int id);
// The window with the keyboard focus on `window`'s thread; null when none.
HWND FocusOf(HWND window);

// Makes a top-level window the foreground window; false when it did not
// become so in time.
bool BringToForeground(HWND window, DWORD timeoutMs = 3000);

// Real input. Points are in `window`'s client coordinates.
void MoveMouseTo(HWND window, POINT client);
void ClickAt(HWND window, POINT client);
// Presses the keys down in the order given and releases them in reverse
// order, e.g. {VK_MENU, VK_F4} for Alt+F4.
void PressKeys(std::initializer_list<WORD> keys);
inline void PressKey(WORD key) { PressKeys({key}); }

// Lets the thread of `window` work through what has been sent to it: two
// message round trips with a short pause between them. Use before checking
// that something did NOT happen.
void Settle(HWND window);

// A window property that holds a small number (GetPropW works across
// processes); 0 when absent.
int NumberProperty(HWND window, const wchar_t* name);

// A plain top-level window of this test process, hidden, for controls under
// test: registers `className` with `procedure` and creates the window. Null when the system refuses.
HWND CreateTestWindow(const wchar_t* className, WNDPROC procedure, const wchar_t* title, int width, int height);

}  // namespace testing_support

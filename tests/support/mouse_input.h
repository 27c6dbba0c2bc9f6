// Driving a window with the real pointer, as a user does.
#pragma once

#include <windows.h>

namespace testing_support {

// Brings the control's top-level window to the foreground, moves the pointer
// to the middle of the control and presses and releases the left button
// there. False when the window could not be brought forward or the input
// was refused.
bool ClickWithMouse(HWND control);

}  // namespace testing_support

// Answering a message box that asks a question (Yes/No and the like): which
// buttons it offers, and pressing one of them as a user would.
#pragma once

#include <windows.h>

namespace testing_support {

// Whether the box shows the button with this identifier (IDYES, IDNO, IDOK...).
bool ShowsButton(HWND box, int id);

// Answers the box with the button with this identifier.
void PressButton(HWND box, int id);

}  // namespace testing_support

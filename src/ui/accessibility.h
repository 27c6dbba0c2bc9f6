// What screen readers learn about a control beyond what the system tells
// them: a name and a description of the control's own.
#pragma once

#include <windows.h>

#include <string_view>

namespace inboxhop {

// From now on, a screen reader asking the control for its accessible object
// gets the system's own (role, state, actions, position), answering with
// `name` and `description` instead of the system's; an empty text keeps
// the system's. With `outOfSight` (a text box nobody sees), the control
// answers that it has no value, so that a screen reader does not speak its
// text, and that it is invisible and off the screen, so that screen readers
// and magnifiers do not stop on it or move to it.
// The system's accessibility library is loaded at the first request, so a
// program that no screen reader reads never loads it.
void AnnotateControl(HWND control, std::wstring_view name, std::wstring_view description, bool outOfSight = false);

}  // namespace inboxhop

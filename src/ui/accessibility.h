// What screen readers learn about a control beyond what the system tells
// them: a name and a description of the control's own.
#pragma once

#include <windows.h>

#include <string_view>

namespace inboxhop {

// From now on, a screen reader asking the control for its accessible object
// gets the system's own (role, state, actions, position), answering with
// `name` and `description` instead of the system's; an empty text keeps
// the system's. The system's accessibility library is loaded at the first
// request, so a program that no screen reader reads never loads it.
void AnnotateControl(HWND control, std::wstring_view name, std::wstring_view description);

}  // namespace inboxhop

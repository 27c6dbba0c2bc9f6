#pragma once

#include <string>

namespace inboxhop {

// The full path of the running program's file.
std::wstring ProgramPath();

// The folder that holds the running program's file, without a trailing
// backslash. Throws Failure when the system cannot tell.
std::wstring ProgramFolder();

}  // namespace inboxhop

// Failures of Windows calls, worded by the system.
#pragma once

#include <string>

namespace inboxhop {

// The system's own text for an error code, without the trailing line break.
std::wstring SystemMessage(unsigned long code);

// Throws Failure with the system's text for `code`.
[[noreturn]] void ThrowSystemError(unsigned long code);

}  // namespace inboxhop

// Handing a file or an address to the shell, which opens it with the
// handler of its type or scheme: the program's one call of ShellExecuteEx.
#pragma once

#include <windows.h>

#include <string_view>

namespace inboxhop {

// Opens `file` with its handler's default verb, shown as `show`, with
// `owner` as the parent of any window the shell shows and `directory` (null:
// the current one) as the started handler's folder. Wide entry point: the
// text reaches the shell without loss, whatever the ANSI code page can
// represent. The shell finishes handing it over before this returns, so the
// caller may end at once (an association served through DDE or a background
// thread would otherwise be cut off), and shows no message of its own: a
// failure is the caller's to report. Answers whether the shell took it; when
// it did not, the thread's last error says why, as a system error code.
bool ShellOpen(std::wstring_view file, int show, HWND owner = nullptr, const wchar_t* directory = nullptr);

}  // namespace inboxhop

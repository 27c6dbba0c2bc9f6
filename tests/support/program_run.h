// One start of the real program with an exact command line, watched from
// start to end: its exit, its windows, its message boxes (answered with
// OK) and the addresses the stand-in browser was asked to open.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "registry_scratch.h"
#include "windows_seen.h"

namespace testing_support {

struct ProgramRun {
    std::optional<DWORD> exitCode;  // nothing: it did not end by itself
    bool windowShown = false;       // the main window became visible
    std::vector<WindowWatcher::Box> boxes;
    std::vector<std::wstring> addresses;  // the maker's home page left out
    bool homePageVisited = false;
    DWORD processes = 0;  // the program and all it started; 0: unknown
    std::vector<std::wstring> programs;  // their file names, where they could be read
};

// The built program.
std::wstring ProgramPath();

// Starts `program` with the command line `"<program>"<arguments>` (the
// arguments are appended as they are, so they usually start with a blank),
// waits for it and for what it started, and reports what happened.
ProgramRun RunProgram(const RecorderAsBrowser& browser, const std::wstring& arguments,
                      const std::wstring& program = ProgramPath(), DWORD timeoutMs = 20000);

}  // namespace testing_support

// Finding and reading the windows of another process, and watching them
// while it runs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "message_boxes.h"

namespace testing_support {

// Every question to another process's window carries a time-out: its thread
// may be busy ending, or waiting for the asking thread, and must not hold it
// up. 0 when it did not answer.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring ClassOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);

// The first visible top-level window of `pid` with this class (and title,
// when given); null when none.
HWND VisibleWindowOf(DWORD pid, const std::wstring& className, const std::wstring& title = L"");

// Watches a process's windows while it runs: records every visible window
// and answers message boxes with OK, keeping what they showed.
class WindowWatcher {
public:
    explicit WindowWatcher(DWORD pid) : pid_(pid) {}
    void Tick();

    const std::vector<SeenBox>& boxes() const { return boxes_; }
    bool SawVisible(const std::wstring& className) const;

private:
    static BOOL CALLBACK NoteVisible(HWND window, LPARAM watcher);

    DWORD pid_;
    std::vector<SeenBox> boxes_;
    std::vector<HWND> handledBoxes_;
    std::vector<std::wstring> visibleClasses_;
};

}  // namespace testing_support

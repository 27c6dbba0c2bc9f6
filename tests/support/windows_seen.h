// Finding and reading the windows of another process, and watching them
// while it runs.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "message_boxes.h"

namespace testing_support {

// Every question to another process's window carries a time-out: its thread may be busy ending,
// or waiting for the asking thread, and must not hold it up. 0 when it did not answer.
inline LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 500, &result)) return 0;
    return static_cast<LRESULT>(result);
}

inline std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256];
    int length = GetClassNameW(hwnd, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

// Asked with WM_GETTEXT, which works across processes, unlike GetWindowText for controls.
inline std::wstring TextOf(HWND hwnd) {
    size_t length = static_cast<size_t>(Ask(hwnd, WM_GETTEXTLENGTH));
    std::wstring text(length + 1, L'\0');
    size_t got = static_cast<size_t>(Ask(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::min(got, length));
    return text;
}

// The first visible top-level window of `pid` with this class (and title, when given); null when
// none. Looked up by class, which asks no window anything: quick enough for the benchmark to poll.
inline HWND VisibleWindowOf(DWORD pid, const std::wstring& className, const std::wstring& title = L"") {
    for (HWND w = FindWindowExW(nullptr, nullptr, className.c_str(), nullptr); w;
         w = FindWindowExW(nullptr, w, className.c_str(), nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w) && (title.empty() || TextOf(w) == title)) return w;
    }
    return nullptr;
}

// Watches a process's windows while it runs: records every visible window
// and answers message boxes with OK, keeping what they showed.
class WindowWatcher {
public:
    explicit WindowWatcher(DWORD pid) : pid_(pid) {}
    void Tick() {
        EnumWindows(NoteVisible, reinterpret_cast<LPARAM>(this));
        // A box not filled in yet is passed over, and read on a later tick.
        while (HWND box = FindMessageBox(pid_, handledBoxes_)) {
            handledBoxes_.push_back(box);
            boxes_.push_back(ReadMessageBox(box));
            PressOk(box);
        }
    }

    const std::vector<SeenBox>& boxes() const { return boxes_; }
    bool SawVisible(const std::wstring& className) const {
        return std::find(visibleClasses_.begin(), visibleClasses_.end(), className) != visibleClasses_.end();
    }

private:
    static BOOL CALLBACK NoteVisible(HWND window, LPARAM watcher) {
        auto* self = reinterpret_cast<WindowWatcher*>(watcher);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == self->pid_ && IsWindowVisible(window) && !self->SawVisible(ClassOf(window))) {
            self->visibleClasses_.push_back(ClassOf(window));
        }
        return TRUE;
    }

    DWORD pid_;
    std::vector<SeenBox> boxes_;
    std::vector<HWND> handledBoxes_;
    std::vector<std::wstring> visibleClasses_;
};

}  // namespace testing_support

// Finding and reading the windows of another process and watching them while it runs; message boxes, of another process
// or of the test's own: reading their title, text and icon, their buttons, and answering them as a user would.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "wait_until.h"

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

struct SeenBox {
    std::wstring title;
    std::wstring text;
    HICON icon = nullptr;  // the icon the box shows, null when none
};

// Reads the box's icon, and its message: the longest of its static texts.
inline BOOL CALLBACK ReadMessageBoxChild(HWND child, LPARAM param) {
    auto* box = reinterpret_cast<SeenBox*>(param);
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0) return TRUE;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        box->icon = reinterpret_cast<HICON>(Ask(child, STM_GETICON));
    } else if (std::wstring text = TextOf(child); text.size() > box->text.size()) {
        box->text = text;
    }
    return TRUE;
}
inline SeenBox ReadMessageBox(HWND box) {
    SeenBox seen;
    seen.title = TextOf(box);
    EnumChildWindows(box, ReadMessageBoxChild, reinterpret_cast<LPARAM>(&seen));
    return seen;
}

// The first visible message box of `pid` whose text is filled in, passing over those in `skip`; null
// when there is none. Looked up by class: the process's other windows are asked nothing.
inline HWND FindMessageBox(DWORD pid, const std::vector<HWND>& skip = {}) {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
         w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != pid || !IsWindowVisible(w) || std::find(skip.begin(), skip.end(), w) != skip.end()) continue;
        if (!ReadMessageBox(w).text.empty()) return w;  // empty: not filled in yet
    }
    return nullptr;
}
// The same, waiting up to `timeoutMs`; null on time-out.
inline HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindMessageBox(pid)) != nullptr; }, timeoutMs);
    return box;
}
// Waits until the window is gone; false on time-out.
inline bool WaitForWindowToGo(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

// Whether the box shows the button with this identifier (IDYES, IDNO, IDOK...).
inline bool ShowsButton(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    return button != nullptr && IsWindowVisible(button);
}
// Answers the box with the button with this identifier: the box ends with the
// identifier of the command it receives, and posting it is what a click sends.
inline void PressButton(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}
inline void PressOk(HWND box) { PressButton(box, IDOK); }

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

// While it lives, a second thread reads every message box of this process and answers it with OK,
// so that a procedure that shows boxes can run to its end on the test's own thread.
class BoxAnswerer {
public:
    BoxAnswerer() : thread_([this] { Watch(); }) {}
    ~BoxAnswerer() {
        stop_ = true;
        thread_.join();
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    std::vector<SeenBox> boxes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }

private:
    void Watch() {
        WindowWatcher watcher(GetCurrentProcessId());
        WaitUntil(
            [&] {
                // Under the lock, so that a box is kept before the procedure it ends can return.
                std::lock_guard<std::mutex> lock(mutex_);
                watcher.Tick();
                boxes_ = watcher.boxes();
                return stop_.load();
            },
            INFINITE);
    }

    mutable std::mutex mutex_;
    std::vector<SeenBox> boxes_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace testing_support

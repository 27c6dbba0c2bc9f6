// Message boxes, of another process or of the test's own: finding one, reading its title, text
// and icon, which buttons it offers, and answering it as a user would.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "wait_until.h"

namespace testing_support {

struct SeenBox {
    std::wstring title;
    std::wstring text;
    HICON icon = nullptr;  // the icon the box shows, null when none
};

SeenBox ReadMessageBox(HWND box);
// The first visible message box of `pid` whose text is filled in, passing
// over those in `skip`; null when there is none.
HWND FindMessageBox(DWORD pid, const std::vector<HWND>& skip = {});
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
    void Watch();

    mutable std::mutex mutex_;
    std::vector<SeenBox> boxes_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace testing_support

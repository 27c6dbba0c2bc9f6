// Reading the message box that the mail handler setup ends with: its title,
// its text and whether it shows an icon. Also answering the boxes of the
// test process itself, for procedures run in-process.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

struct ResultBox {
    std::wstring title;
    std::wstring text;
    HICON icon = nullptr;  // the icon the box shows, null when none
};

ResultBox ReadResultBox(HWND box);

// The first visible message box of `pid` whose text is filled in; null on
// time-out.
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs);
// Waits until the window is gone; false on time-out.
bool WaitForWindowToGo(HWND window, DWORD timeoutMs);

// While it lives, a second thread reads every message box of this process
// and answers it with OK, so that a procedure that shows boxes can run to
// its end on the test's own thread.
class BoxAnswerer {
public:
    BoxAnswerer();
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    std::vector<ResultBox> boxes() const;

private:
    void Watch();

    mutable std::mutex mutex_;
    std::vector<ResultBox> boxes_;
    std::vector<HWND> answered_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace testing_support

// Message boxes, of another process or of the test's own: finding one,
// reading its title, text and icon, which buttons it offers, and answering
// it as a user would.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs);
// Waits until the window is gone; false on time-out.
bool WaitForWindowToGo(HWND window, DWORD timeoutMs);

// Whether the box shows the button with this identifier (IDYES, IDNO, IDOK...).
bool ShowsButton(HWND box, int id);
// Answers the box with the button with this identifier.
void PressButton(HWND box, int id);
inline void PressOk(HWND box) { PressButton(box, IDOK); }

// While it lives, a second thread reads every message box of this process
// and answers it with OK, so that a procedure that shows boxes can run to
// its end on the test's own thread.
class BoxAnswerer {
public:
    BoxAnswerer();
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    std::vector<SeenBox> boxes() const;

private:
    void Watch();

    mutable std::mutex mutex_;
    std::vector<SeenBox> boxes_;
    std::vector<HWND> answered_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace testing_support

// Finding and reading the windows of another process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

struct SeenWindow {
    HWND hwnd;
    std::wstring className;
    std::wstring title;
    bool visible;
};

std::wstring ClassOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);

// The top-level windows of a process.
std::vector<SeenWindow> TopWindowsOf(DWORD pid);

// The first visible top-level window of `pid` with this class (and title,
// when given), waiting up to `timeoutMs`. Null on time-out.
HWND WaitForWindow(DWORD pid, const std::wstring& className, const std::wstring& title, DWORD timeoutMs);

// Message boxes: the box's message text, and dismissing it with OK.
inline constexpr wchar_t kMessageBoxClass[] = L"#32770";
std::wstring MessageBoxText(HWND box);
void PressOk(HWND box);

// Watches a process's windows while it runs: records every visible window
// and dismisses message boxes with OK, keeping their titles and texts.
class WindowWatcher {
public:
    explicit WindowWatcher(DWORD pid) : pid_(pid) {}
    void Tick();

    struct Box {
        std::wstring title;
        std::wstring text;
    };
    const std::vector<Box>& boxes() const { return boxes_; }
    bool SawVisible(const std::wstring& className) const;

private:
    DWORD pid_;
    std::vector<Box> boxes_;
    std::vector<HWND> handledBoxes_;
    std::vector<std::wstring> visibleClasses_;
};

}  // namespace testing_support

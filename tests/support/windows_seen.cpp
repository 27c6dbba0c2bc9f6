#include "windows_seen.h"

#include <algorithm>

namespace testing_support {

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 500, &result)) return 0;
    return static_cast<LRESULT>(result);
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256];
    int length = GetClassNameW(hwnd, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

std::wstring TextOf(HWND hwnd) {
    // WM_GETTEXT works across processes, unlike GetWindowText for controls.
    size_t length = static_cast<size_t>(Ask(hwnd, WM_GETTEXTLENGTH));
    std::wstring text(length + 1, L'\0');
    size_t got = static_cast<size_t>(Ask(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::min(got, length));
    return text;
}

namespace {

struct Search {
    DWORD pid;
    std::vector<SeenWindow> found;
};

BOOL CALLBACK CollectWindowOf(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == s->pid) s->found.push_back({hwnd, ClassOf(hwnd), TextOf(hwnd), IsWindowVisible(hwnd) != FALSE});
    return TRUE;
}

}  // namespace

std::vector<SeenWindow> TopWindowsOf(DWORD pid) {
    Search search{pid, {}};
    EnumWindows(CollectWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND VisibleWindowOf(DWORD pid, const std::wstring& className, const std::wstring& title) {
    // Looked up by class, which asks no window anything: quick enough for
    // the benchmark to poll with.
    for (HWND w = FindWindowExW(nullptr, nullptr, className.c_str(), nullptr); w;
         w = FindWindowExW(nullptr, w, className.c_str(), nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w) && (title.empty() || TextOf(w) == title)) return w;
    }
    return nullptr;
}

void WindowWatcher::Tick() {
    for (const SeenWindow& w : TopWindowsOf(pid_)) {
        if (!w.visible) continue;
        if (!SawVisible(w.className)) visibleClasses_.push_back(w.className);
        if (w.className == kMessageBoxClass &&
            std::find(handledBoxes_.begin(), handledBoxes_.end(), w.hwnd) == handledBoxes_.end()) {
            SeenBox box = ReadMessageBox(w.hwnd);
            if (box.text.empty()) continue;  // not filled in yet: read it on the next tick
            handledBoxes_.push_back(w.hwnd);
            boxes_.push_back(box);
            PressOk(w.hwnd);
        }
    }
}

bool WindowWatcher::SawVisible(const std::wstring& className) const {
    return std::find(visibleClasses_.begin(), visibleClasses_.end(), className) != visibleClasses_.end();
}

}  // namespace testing_support

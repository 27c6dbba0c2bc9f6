#include "windows_seen.h"

#include <algorithm>

namespace testing_support {

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256];
    int length = GetClassNameW(hwnd, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

std::wstring TextOf(HWND hwnd) {
    // WM_GETTEXT works across processes, unlike GetWindowText for controls.
    LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT got = SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
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

BOOL CALLBACK KeepLongestStatic(HWND child, LPARAM param) {
    auto* best = reinterpret_cast<std::wstring*>(param);
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0) {
        std::wstring text = TextOf(child);
        if (text.size() > best->size()) *best = text;
    }
    return TRUE;
}

}  // namespace

std::vector<SeenWindow> TopWindowsOf(DWORD pid) {
    Search search{pid, {}};
    EnumWindows(CollectWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD pid, const std::wstring& className, const std::wstring& title, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        for (const SeenWindow& w : TopWindowsOf(pid)) {
            if (w.visible && w.className == className && (title.empty() || w.title == title)) return w.hwnd;
        }
        Sleep(10);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::wstring MessageBoxText(HWND box) {
    // The message is the box's longest static text (the icon is a static too).
    std::wstring best;
    EnumChildWindows(box, KeepLongestStatic, reinterpret_cast<LPARAM>(&best));
    return best;
}

void PressOk(HWND box) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

void WindowWatcher::Tick() {
    for (const SeenWindow& w : TopWindowsOf(pid_)) {
        if (!w.visible) continue;
        if (std::find(visibleClasses_.begin(), visibleClasses_.end(), w.className) == visibleClasses_.end()) {
            visibleClasses_.push_back(w.className);
        }
        if (w.className == kMessageBoxClass &&
            std::find(handledBoxes_.begin(), handledBoxes_.end(), w.hwnd) == handledBoxes_.end()) {
            std::wstring text = MessageBoxText(w.hwnd);
            if (text.empty()) continue;  // not filled in yet: read it on the next tick
            handledBoxes_.push_back(w.hwnd);
            boxes_.push_back({w.title, text});
            PressOk(w.hwnd);
        }
    }
}

bool WindowWatcher::SawVisible(const std::wstring& className) const {
    return std::find(visibleClasses_.begin(), visibleClasses_.end(), className) != visibleClasses_.end();
}

}  // namespace testing_support

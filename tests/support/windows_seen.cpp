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

BOOL CALLBACK WindowWatcher::NoteVisible(HWND window, LPARAM param) {
    auto* self = reinterpret_cast<WindowWatcher*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == self->pid_ && IsWindowVisible(window) && !self->SawVisible(ClassOf(window))) {
        self->visibleClasses_.push_back(ClassOf(window));
    }
    return TRUE;
}

void WindowWatcher::Tick() {
    EnumWindows(NoteVisible, reinterpret_cast<LPARAM>(this));
    // A box not filled in yet is passed over, and read on a later tick.
    while (HWND box = FindMessageBox(pid_, handledBoxes_)) {
        handledBoxes_.push_back(box);
        boxes_.push_back(ReadMessageBox(box));
        PressOk(box);
    }
}

bool WindowWatcher::SawVisible(const std::wstring& className) const {
    return std::find(visibleClasses_.begin(), visibleClasses_.end(), className) != visibleClasses_.end();
}

}  // namespace testing_support

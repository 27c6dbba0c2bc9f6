#include "message_boxes.h"

#include <algorithm>

#include "windows_seen.h"

namespace testing_support {

namespace {

constexpr wchar_t kMessageBoxClass[] = L"#32770";

BOOL CALLBACK ReadChild(HWND child, LPARAM param) {
    auto* box = reinterpret_cast<SeenBox*>(param);
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0) return TRUE;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        box->icon = reinterpret_cast<HICON>(Ask(child, STM_GETICON));
    } else {
        // The message is the box's longest static text.
        std::wstring text = TextOf(child);
        if (text.size() > box->text.size()) box->text = text;
    }
    return TRUE;
}

}  // namespace

SeenBox ReadMessageBox(HWND box) {
    SeenBox seen;
    seen.title = TextOf(box);
    EnumChildWindows(box, ReadChild, reinterpret_cast<LPARAM>(&seen));
    return seen;
}

HWND FindMessageBox(DWORD pid, const std::vector<HWND>& skip) {
    // Looked up by class: the process's other windows are asked nothing.
    for (HWND w = FindWindowExW(nullptr, nullptr, kMessageBoxClass, nullptr); w;
         w = FindWindowExW(nullptr, w, kMessageBoxClass, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != pid || !IsWindowVisible(w) || std::find(skip.begin(), skip.end(), w) != skip.end()) continue;
        if (!ReadMessageBox(w).text.empty()) return w;  // empty: not filled in yet
    }
    return nullptr;
}

void BoxAnswerer::Watch() {
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

}  // namespace testing_support

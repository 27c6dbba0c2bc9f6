#include "message_boxes.h"

#include <algorithm>

#include "wait_until.h"
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

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindMessageBox(pid)) != nullptr; }, timeoutMs);
    return box;
}

bool WaitForWindowToGo(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

bool ShowsButton(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    return button != nullptr && IsWindowVisible(button);
}

void PressButton(HWND box, int id) {
    // The box ends with the identifier of the command it receives: posting
    // it is what a click on that button sends.
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

BoxAnswerer::BoxAnswerer() : thread_([this] { Watch(); }) {}

BoxAnswerer::~BoxAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<SeenBox> BoxAnswerer::boxes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

void BoxAnswerer::Watch() {
    WaitUntil(
        [&] {
            std::vector<HWND> skip;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                skip = answered_;
            }
            if (HWND box = FindMessageBox(GetCurrentProcessId(), skip)) {
                SeenBox seen = ReadMessageBox(box);
                std::lock_guard<std::mutex> lock(mutex_);
                boxes_.push_back(seen);
                answered_.push_back(box);
                PressOk(box);
            }
            return stop_.load();
        },
        INFINITE);
}

}  // namespace testing_support

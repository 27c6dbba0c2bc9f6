#include "registry_result_box.h"

#include <algorithm>

#include "windows_seen.h"

namespace testing_support {

namespace {

// Every question to a box carries a time-out: the box's thread may be busy
// leaving it, or waiting for the asking thread, and must not hold it up.
LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 500, &result)) return 0;
    return static_cast<LRESULT>(result);
}

std::wstring AskText(HWND window) {
    LRESULT length = Ask(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT got = Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::min(static_cast<size_t>(got), static_cast<size_t>(length)));
    return text;
}

struct Contents {
    std::wstring text;  // the longest static text: the message
    HICON icon = nullptr;
};

BOOL CALLBACK ReadChild(HWND child, LPARAM param) {
    auto* contents = reinterpret_cast<Contents*>(param);
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0) return TRUE;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        contents->icon = reinterpret_cast<HICON>(Ask(child, STM_GETICON, 0, 0));
    } else {
        std::wstring text = AskText(child);
        if (text.size() > contents->text.size()) contents->text = text;
    }
    return TRUE;
}

struct BoxSearch {
    DWORD pid;
    const std::vector<HWND>* skip;
    HWND found = nullptr;
};

BOOL CALLBACK FindBoxOf(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->pid || !IsWindowVisible(hwnd) || ClassOf(hwnd) != kMessageBoxClass) return TRUE;
    if (std::find(search->skip->begin(), search->skip->end(), hwnd) != search->skip->end()) return TRUE;
    Contents contents;
    EnumChildWindows(hwnd, ReadChild, reinterpret_cast<LPARAM>(&contents));
    if (contents.text.empty()) return TRUE;  // not filled in yet
    search->found = hwnd;
    return FALSE;
}

HWND FindBox(DWORD pid, const std::vector<HWND>& skip) {
    BoxSearch search{pid, &skip};
    EnumWindows(FindBoxOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

ResultBox ReadResultBox(HWND box) {
    ResultBox result;
    result.title = AskText(box);
    Contents contents;
    EnumChildWindows(box, ReadChild, reinterpret_cast<LPARAM>(&contents));
    result.text = contents.text;
    result.icon = contents.icon;
    return result;
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        if (HWND box = FindBox(pid, {})) return box;
        Sleep(10);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

bool WaitForWindowToGo(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

BoxAnswerer::BoxAnswerer() : thread_([this] { Watch(); }) {}

BoxAnswerer::~BoxAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<ResultBox> BoxAnswerer::boxes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

void BoxAnswerer::Watch() {
    while (!stop_) {
        std::vector<HWND> skip;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            skip = answered_;
        }
        if (HWND box = FindBox(GetCurrentProcessId(), skip)) {
            ResultBox seen = ReadResultBox(box);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                boxes_.push_back(seen);
                answered_.push_back(box);
            }
            PressOk(box);
        }
        Sleep(10);
    }
}

}  // namespace testing_support

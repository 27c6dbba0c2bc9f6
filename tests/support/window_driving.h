// Driving another process's window as a user would: real mouse and keyboard input through
// SendInput, and reading back what the window shows (rectangles, controls, focus, properties).
#pragma once

#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <vector>

#include "wait_until.h"

namespace testing_support {

inline RECT ClientRect(HWND window) {
    RECT rc = {};
    GetClientRect(window, &rc);
    return rc;
}
// A child's rectangle, and its centre, in its parent's client coordinates.
inline RECT RectInParent(HWND child) {
    RECT rc = {};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}
inline POINT CentreInParent(HWND child) {
    RECT rc = RectInParent(child);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}
inline POINT ClientToScreenPoint(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return client;
}
// The window with the keyboard focus on `window`'s thread; null when none.
inline HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

// What the screen shows of `area` of a window's client area (cut to it), row by row.
inline std::vector<COLORREF> ScreenPixels(HWND window, RECT area) {
    const RECT client = ClientRect(window);
    IntersectRect(&area, &area, &client);
    const int width = area.right - area.left, height = area.bottom - area.top;
    const POINT origin = ClientToScreenPoint(window, {area.left, area.top});
    HDC screen = GetDC(nullptr), copy = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(copy, x, y));
    }
    SelectObject(copy, old);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The colour most of `pixels` have: for a control, its background, whatever text or border it draws.
inline COLORREF Dominant(const std::vector<COLORREF>& pixels) {
    std::map<COLORREF, int> counts;
    for (COLORREF c : pixels) ++counts[c];
    auto most = std::max_element(counts.begin(), counts.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == counts.end() ? CLR_INVALID : most->first;
}

// Makes a top-level window the foreground window; false when it did not become so in time.
inline bool BringToForeground(HWND window, DWORD timeoutMs = 3000) {
    return WaitUntil(
        [&] {
            if (GetForegroundWindow() == window) return true;
            SetForegroundWindow(window);
            return false;
        },
        timeoutMs);
}

// Real input. Points are in `window`'s client coordinates.
inline void SendMouse(HWND window, POINT client, DWORD flags) {
    // Absolute input coordinates run from 0 to 65536 across the primary screen. Rounding up lands
    // exactly on the wanted pixel when the system scales back by truncating.
    auto normalized = [](LONG pixel, int screenSize) {
        return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + screenSize - 1) / screenSize);
    };
    POINT screen = ClientToScreenPoint(window, client);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = normalized(screen.x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = normalized(screen.y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}
inline void MoveMouseTo(HWND window, POINT client) { SendMouse(window, client, 0); }
inline void ClickAt(HWND window, POINT client) {
    for (DWORD flags : {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) SendMouse(window, client, flags);
}
// Presses the keys down in the order given and releases them in reverse order, e.g. {VK_MENU, VK_F4}.
inline void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD key, DWORD flags) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (WORD key : keys) add(key, 0);
    for (auto it = keys.end(); it != keys.begin();) add(*--it, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
inline void PressKey(WORD key) { PressKeys({key}); }

// Lets the thread of `window` work through what has been sent to it, before checking that something did NOT happen.
// Input already queued for the thread is handled before it next asks for messages; a sent message is answered when it
// asks. Two rounds make sure the thread came back to its loop after the input.
inline void Settle(HWND window) {
    for (int round = 0; round < 2; ++round) {
        Sleep(40);
        DWORD_PTR result;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result);
    }
}

// A window property that holds a small number (GetPropW works across processes); 0 when absent.
inline int NumberProperty(HWND window, const wchar_t* name) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(window, name)));
}

// A plain top-level window of this test process, hidden, for controls under test: registers
// `className` with `procedure` and creates the window. Null when the system refuses.
inline HWND CreateTestWindow(const wchar_t* className, WNDPROC procedure, const wchar_t* title, int width,
                             int height) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
    return CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr, nullptr, instance,
                           nullptr);
}

}  // namespace testing_support

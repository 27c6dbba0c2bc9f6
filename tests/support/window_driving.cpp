#include "window_driving.h"

#include <vector>

namespace testing_support {

RECT ClientRect(HWND window) {
    RECT rc = {};
    GetClientRect(window, &rc);
    return rc;
}

RECT RectInParent(HWND child) {
    RECT rc = {};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

POINT ClientToScreenPoint(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return client;
}

POINT CentreInParent(HWND child) {
    RECT rc = RectInParent(child);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

HWND ControlById(HWND window, int id) { return GetDlgItem(window, id); }

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool BringToForeground(HWND window, DWORD timeoutMs) {
    return WaitUntil(
        [&] {
            if (GetForegroundWindow() == window) return true;
            SetForegroundWindow(window);
            return false;
        },
        timeoutMs);
}

namespace {

// Absolute input coordinates run from 0 to 65536 across the primary screen.
// Rounding up lands exactly on the wanted pixel when the system scales back
// by truncating.
LONG Normalized(LONG pixel, int screenSize) {
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + screenSize - 1) / screenSize);
}

void SendMouse(POINT screen, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalized(screen.x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = Normalized(screen.y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}

}  // namespace

void MoveMouseTo(HWND window, POINT client) { SendMouse(ClientToScreenPoint(window, client), 0); }

void ClickAt(HWND window, POINT client) {
    POINT screen = ClientToScreenPoint(window, client);
    SendMouse(screen, 0);
    SendMouse(screen, MOUSEEVENTF_LEFTDOWN);
    SendMouse(screen, MOUSEEVENTF_LEFTUP);
}

void PressKeys(std::initializer_list<WORD> keys) {
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

void Settle(HWND window) {
    // Input already queued for the thread is handled before it next asks
    // for messages; a sent message is answered when it asks. Two rounds make
    // sure the thread came back to its loop after the queued input.
    for (int round = 0; round < 2; ++round) {
        Sleep(40);
        DWORD_PTR result;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result);
    }
}

int NumberProperty(HWND window, const wchar_t* name) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(window, name)));
}

HWND CreateTestWindow(const wchar_t* className, WNDPROC procedure, const wchar_t* title, int width, int height) {
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

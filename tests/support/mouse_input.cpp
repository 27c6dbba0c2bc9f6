#include "mouse_input.h"

namespace testing_support {

namespace {

bool BringToForeground(HWND top) {
    DWORD start = GetTickCount();
    do {
        if (GetForegroundWindow() == top) return true;
        SetForegroundWindow(top);
        Sleep(20);
    } while (GetTickCount() - start < 3000);
    return GetForegroundWindow() == top;
}

}  // namespace

bool ClickWithMouse(HWND control) {
    HWND top = GetAncestor(control, GA_ROOT);
    if (!top || !BringToForeground(top)) return false;
    RECT rc;
    if (!GetWindowRect(control, &rc)) return false;
    POINT centre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    if (!SetCursorPos(centre.x, centre.y)) return false;

    // The move goes through the input queue too, so that the button sees the
    // pointer arrive before the press.
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(centre.x, 65535, width - 1);
        input.mi.dy = MulDiv(centre.y, 65535, height - 1);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    if (SendInput(1, &inputs[0], sizeof(INPUT)) != 1) return false;
    Sleep(50);
    if (SendInput(1, &inputs[1], sizeof(INPUT)) != 1) return false;
    Sleep(50);
    return SendInput(1, &inputs[2], sizeof(INPUT)) == 1;
}

}  // namespace testing_support

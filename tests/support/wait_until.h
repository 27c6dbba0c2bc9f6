// The one way tests wait for something to happen: try, pause, try again.
#pragma once

#include <windows.h>

#include <functional>

namespace testing_support {

// Calls `condition` until it holds, calling `onTick` (when given) between tries; false when `timeoutMs` passed first.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000,
                      const std::function<void()>& onTick = {}) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        if (onTick) onTick();
        Sleep(10);
    }
}

}  // namespace testing_support

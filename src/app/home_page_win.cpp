#include <windows.h>

#include <random>

#include "app/home_page.h"
#include "base/scoped.h"
#include "base/system_error.h"

namespace inboxhop {

void VisitHomePage() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    unsigned seed = ((now.wHour * 60u + now.wMinute) * 60u + now.wSecond) * 1000u + now.wMilliseconds;
    std::mt19937 generator(seed ^ GetTickCount());
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    if (!IsHomePageDraw(HomePageDraw(uniform(generator)))) return;

    std::wstring command = HomePageCommand();
    // The explorer is taken from the Windows folder only: a search by name
    // would try the program's folder and the current folder first, where
    // any file called explorer.exe could stand.
    wchar_t windows[MAX_PATH];
    UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) ThrowSystemError(GetLastError());
    std::wstring explorer = std::wstring(windows, length) + L"\\explorer.exe";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(explorer.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ThrowSystemError(GetLastError());
    }
    // Not waited for: the explorer hands the address to the browser on its own.
    ScopedHandle thread(process.hThread);
    ScopedHandle started(process.hProcess);
}

}  // namespace inboxhop

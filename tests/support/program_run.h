// The real program run as a user runs it: one start watched to its end, or a
// start without a mail link that shows the main window and is then driven.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "recorder_as_browser.h"
#include "started_process.h"
#include "ui/inboxhop_window.h"
#include "window_driving.h"
#include "windows_seen.h"

namespace testing_support {

struct ProgramRun {
    std::optional<DWORD> exitCode;  // nothing: it did not end by itself
    bool windowShown = false;       // the main window became visible
    std::vector<SeenBox> boxes;
    std::vector<std::wstring> addresses;  // the maker's home page left out
    bool homePageVisited = false;
    DWORD processes = 0;  // the program and all it started; 0: unknown
    std::vector<std::wstring> programs;  // their file names, where they could be read
};

// The folder the tests start the program from: a copy of the built program and of the shipped pointer file (taken
// from the source, on Wine's drive Z:) in a folder of the test run's own, made at first use, so that a skin or pointer
// file left beside the built program changes no result. A failed copy leaves no program: every start fails, plainly.
inline const std::wstring& TestProgramFolder() {
    static const std::wstring folder = NewScratchFolder(L"program");
    static const bool copied = CopyProgram(BuildFolder() + L"\\Inboxhop.exe", folder + L"\\Inboxhop.exe") &&
                               CopyFileW(INBOXHOP_SOURCE_POINTER_FILE, (folder + L"\\HAND-M.CUR").c_str(), FALSE);
    (void)copied;
    return folder;
}
inline std::wstring ProgramPath() { return TestProgramFolder() + L"\\Inboxhop.exe"; }

// Starts `"<program>"<arguments>` (arguments as they are, usually starting
// with a blank), waits for it and for what it started: what happened.
inline ProgramRun RunProgram(const RecorderAsBrowser& browser, const std::wstring& arguments,
                             const std::wstring& program = ProgramPath(), DWORD timeoutMs = 20000) {
    ProgramRun run;
    size_t before = browser.Addresses().size();
    StartedProcess process(program, L"\"" + program + L"\"" + arguments);
    if (!process.started()) return run;
    WindowWatcher watcher(process.pid());
    run.exitCode = process.WaitForExit(timeoutMs, [&] { watcher.Tick(); });
    // What the shell started (the browser) finishes on its own.
    process.WaitForJobToEmpty(10000);
    run.processes = process.ProcessesStarted();
    run.programs = process.ProgramsStarted();
    run.windowShown = watcher.SawVisible(inboxhop::kMainWindowClass);
    run.boxes = watcher.boxes();
    run.addresses = browser.Pages(before);
    run.homePageVisited = browser.Addresses().size() - before > run.addresses.size();
    return run;
}

// Wine runs its desktop in a program of its own, started by the first process that needs it and
// ended soon after the last window closed. While this lives, a window of the test keeps it running,
// so that no start of the program starts it and has it counted as its doing.
class DesktopKeeper {
public:
    DesktopKeeper()
        : window_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr)) {}
    ~DesktopKeeper() {
        if (window_) DestroyWindow(window_);
    }
    DesktopKeeper(const DesktopKeeper&) = delete;
    DesktopKeeper& operator=(const DesktopKeeper&) = delete;

private:
    HWND window_;
};

// `program` started without a mail link, watched until its main window (with
// this title, when given) is visible; boxes meanwhile are answered and kept.
class ShownProgram {
public:
    explicit ShownProgram(const std::wstring& program = ProgramPath(), const std::wstring& title = L"",
                          DWORD timeoutMs = 20000)
        : process_(program, L"\"" + program + L"\""), watcher_(process_.pid()) {
        if (!process_.started()) return;
        Eventually(
            [&] { return (window_ = VisibleWindowOf(process_.pid(), inboxhop::kMainWindowClass, title)) != nullptr; },
            timeoutMs);
    }

    HWND window() const { return window_; }  // null: it did not show in time
    StartedProcess& process() { return process_; }
    WindowWatcher& watcher() { return watcher_; }
    const std::vector<SeenBox>& boxes() const { return watcher_.boxes(); }

    // Waits for `condition`, answering boxes meanwhile.
    bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
        return WaitUntil(condition, timeoutMs, [&] { watcher_.Tick(); });
    }
    // Brings the window to the front and clicks the control with the mouse,
    // as a user does; false when either could not be done.
    bool Click(int id) {
        HWND control = GetDlgItem(window_, id);
        if (!control || !BringToForeground(window_)) return false;
        ClickAt(window_, CentreInParent(control));
        return true;
    }
    // Clicks the push button and waits for the box the press ends with, left open; null when none came.
    HWND Press(DWORD timeoutMs = 15000) {
        return Click(inboxhop::kSetUpButtonId) ? WaitForMessageBox(process_.pid(), timeoutMs) : nullptr;
    }
    // Its exit code once it ended, answering boxes meanwhile; nothing on time-out. Close first closes the window.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = 20000) {
        return process_.WaitForExit(timeoutMs, [&] { watcher_.Tick(); });
    }
    std::optional<DWORD> Close(DWORD timeoutMs = 20000) {
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        return WaitForExit(timeoutMs);
    }

private:
    DesktopKeeper desktop_;  // made first: the program's window must not start the desktop within its job
    StartedProcess process_;
    WindowWatcher watcher_;
    HWND window_ = nullptr;
};

// Reads a box, answers it with OK and waits until it is gone.
inline SeenBox AnswerBox(HWND box, DWORD timeoutMs = 15000) {
    SeenBox seen = ReadMessageBox(box);
    PressOk(box);
    WaitForWindowToGo(box, timeoutMs);
    return seen;
}

}  // namespace testing_support

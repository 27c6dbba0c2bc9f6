#include "program_run.h"

#include "ui/form1.h"
#include "window_driving.h"

namespace testing_support {

ProgramRun RunProgram(const RecorderAsBrowser& browser, const std::wstring& arguments, const std::wstring& program,
                      DWORD timeoutMs) {
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
    run.windowShown = watcher.SawVisible(inboxhop::kForm1Class);
    run.boxes = watcher.boxes();
    run.addresses = browser.Pages(before);
    run.homePageVisited = browser.Addresses().size() - before > run.addresses.size();
    return run;
}

ShownProgram::ShownProgram(const std::wstring& program, const std::wstring& title, DWORD timeoutMs)
    : process_(program, L"\"" + program + L"\""), watcher_(process_.pid()) {
    if (!process_.started()) return;
    Eventually([&] { return (window_ = VisibleWindowOf(process_.pid(), inboxhop::kForm1Class, title)) != nullptr; },
               timeoutMs);
}

bool ShownProgram::Click(int id) {
    HWND control = GetDlgItem(window_, id);
    if (!control || !BringToForeground(window_)) return false;
    ClickAt(window_, CentreInParent(control));
    return true;
}

HWND ShownProgram::Press(DWORD timeoutMs) {
    return Click(inboxhop::kPushButton1Id) ? WaitForMessageBox(process_.pid(), timeoutMs) : nullptr;
}

}  // namespace testing_support

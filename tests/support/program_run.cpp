#include "program_run.h"

#include "app/home_page.h"
#include "ui/form1.h"
#include "window_driving.h"

namespace testing_support {

std::wstring ProgramPath() { return BuildFolder() + L"\\Inboxhop.exe"; }

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

bool ShownProgram::Eventually(const std::function<bool()>& condition, DWORD timeoutMs) {
    return WaitUntil(condition, timeoutMs, [&] { watcher_.Tick(); });
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

std::optional<DWORD> ShownProgram::WaitForExit(DWORD timeoutMs) {
    return process_.WaitForExit(timeoutMs, [&] { watcher_.Tick(); });
}

std::optional<DWORD> ShownProgram::Close(DWORD timeoutMs) {
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    return WaitForExit(timeoutMs);
}

SeenBox AnswerBox(HWND box, DWORD timeoutMs) {
    SeenBox seen = ReadMessageBox(box);
    PressOk(box);
    WaitForWindowToGo(box, timeoutMs);
    return seen;
}

}  // namespace testing_support

#include "program_run.h"

#include "app/home_page.h"
#include "ui/form1.h"
#include "wine_process.h"

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
    std::vector<std::wstring> all = browser.Addresses();
    for (size_t i = before; i < all.size(); ++i) {
        // One start in a hundred also visits the maker's home page.
        if (all[i] != inboxhop::kHomePage) {
            run.addresses.push_back(all[i]);
        } else {
            run.homePageVisited = true;
        }
    }
    return run;
}

}  // namespace testing_support

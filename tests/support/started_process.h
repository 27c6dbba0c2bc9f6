// The test's folders, and starting a program with an exact command line,
// watching it and cleaning up everything it started.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/scoped_win.h"

namespace testing_support {

// The folder of the running test program, where the built programs are.
std::wstring BuildFolder();
// A fresh, empty folder for one test, below the system's temporary folder.
std::wstring NewScratchFolder(const std::wstring& name);
bool CopyProgram(const std::wstring& from, const std::wstring& to);

// A process started inside its own job, so that it and everything it starts
// can be waited for and ended together.
class StartedProcess {
public:
    // Starts `program` with exactly `commandLine` (nothing is quoted or
    // escaped). The working directory is the program's folder.
    StartedProcess(const std::wstring& program, const std::wstring& commandLine);
    ~StartedProcess() { Terminate(); }  // ends whatever is still running
    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;

    bool started() const { return static_cast<bool>(process_); }
    DWORD pid() const { return pid_; }
    HANDLE handle() const { return process_.get(); }

    // The program's exit code once it ended, calling `onTick` meanwhile;
    // nothing on time-out.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs, const std::function<void()>& onTick = {});
    // Waits until no process of the job runs any more (the program and what
    // it started through the shell). False on time-out.
    bool WaitForJobToEmpty(DWORD timeoutMs);
    // How many processes the job has held so far; zero when unknown.
    DWORD ProcessesStarted() const;
    // The file names of those processes, as far as they could be read while
    // each ran ("?" for one that ended too soon), in the order they started.
    std::vector<std::wstring> ProgramsStarted();
    void Terminate();

private:
    void CollectNewProcesses();
    std::optional<JOBOBJECT_BASIC_ACCOUNTING_INFORMATION> Accounting() const;

    inboxhop::ScopedHandle job_;
    inboxhop::ScopedHandle port_;  // the job's notices of processes joining it
    inboxhop::ScopedHandle process_;
    DWORD pid_ = 0;
    std::vector<std::wstring> programs_;
};

}  // namespace testing_support

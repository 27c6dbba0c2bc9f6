// Starting a program with an exact command line, watching it and cleaning up everything it started.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/scoped.h"
#include "scratch_files.h"
#include "wait_until.h"

namespace testing_support {

// A process started inside its own job, so that it and everything it starts can be waited for and ended together.
class StartedProcess {
public:
    // Starts `program` with exactly `commandLine` (nothing is quoted or escaped), in its folder.
    StartedProcess(const std::wstring& program, const std::wstring& commandLine)
        : job_(CreateJobObjectW(nullptr, nullptr)), port_(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1)) {
        if (job_ && port_) {
            JOBOBJECT_ASSOCIATE_COMPLETION_PORT notices = {job_.get(), port_.get()};
            SetInformationJobObject(job_.get(), JobObjectAssociateCompletionPortInformation, &notices, sizeof(notices));
        }
        std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
        std::wstring line = commandLine;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                            folder.c_str(), &startup, &info)) {
            return;
        }
        inboxhop::ScopedHandle thread(info.hThread);
        process_.reset(info.hProcess);
        pid_ = info.dwProcessId;
        if (job_) AssignProcessToJobObject(job_.get(), info.hProcess);
        ResumeThread(info.hThread);
    }
    ~StartedProcess() {  // ends whatever is still running
        if (job_) TerminateJobObject(job_.get(), 1);
        if (process_) TerminateProcess(process_.get(), 1);
    }
    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;

    bool started() const { return static_cast<bool>(process_); }
    DWORD pid() const { return pid_; }
    HANDLE handle() const { return process_.get(); }

    // The program's exit code once it ended, calling `onTick` meanwhile; nothing on time-out.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs, const std::function<void()>& onTick = {}) {
        if (!process_) return std::nullopt;
        // WaitUntil pauses between tries; a short wait here gives the process's end the same few milliseconds' notice.
        bool ended = WaitUntil(
            [&] {
                CollectNewProcesses();
                return WaitForSingleObject(process_.get(), 5) == WAIT_OBJECT_0;
            },
            timeoutMs, onTick);
        if (!ended) return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }
    // Waits until no process of the job runs any more (the program and what
    // it started through the shell). False on time-out.
    bool WaitForJobToEmpty(DWORD timeoutMs) {
        bool known = true;
        return WaitUntil(
                   [&] {
                       auto info = Accounting();
                       known = info.has_value();
                       CollectNewProcesses();
                       return !known || info->ActiveProcesses == 0;
                   },
                   timeoutMs) &&
               known;
    }
    // How many processes the job has held so far; zero when unknown.
    DWORD ProcessesStarted() const {
        auto info = Accounting();
        return info ? info->TotalProcesses : 0;
    }
    // The file names of those processes, as far as they could be read while
    // each ran ("?" for one that ended too soon), in the order they started.
    std::vector<std::wstring> ProgramsStarted() {
        CollectNewProcesses();
        return programs_;
    }

private:
    void CollectNewProcesses() {
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED data = nullptr;
        while (port_ && GetQueuedCompletionStatus(port_.get(), &message, &key, &data, 0)) {
            if (message != JOB_OBJECT_MSG_NEW_PROCESS) continue;
            std::wstring name = L"?";
            inboxhop::ScopedHandle p(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                                 static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data))));
            wchar_t path[MAX_PATH * 2];
            DWORD size = static_cast<DWORD>(std::size(path));
            if (p && QueryFullProcessImageNameW(p.get(), 0, path, &size)) {
                std::wstring full(path, size);
                name = full.substr(full.find_last_of(L"\\/") + 1);
            }
            programs_.push_back(name);
        }
    }
    std::optional<JOBOBJECT_BASIC_ACCOUNTING_INFORMATION> Accounting() const {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
        if (!job_ ||
            !QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr)) {
            return std::nullopt;
        }
        return info;
    }

    inboxhop::ScopedHandle job_;
    inboxhop::ScopedHandle port_;  // the job's notices of processes joining it
    inboxhop::ScopedHandle process_;
    DWORD pid_ = 0;
    std::vector<std::wstring> programs_;
};

}  // namespace testing_support

// The one way tests wait for something to happen (try, pause, try again); the test's folders and files; and
// starting a program with an exact command line, watching it and cleaning up everything it started.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/scoped_win.h"

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

// The folder of the running test program, where the built programs are.
inline std::wstring BuildFolder() {
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring text(path, length);
    return text.substr(0, text.find_last_of(L'\\'));
}

// A fresh, empty folder for one test, below the system's temporary folder.
inline std::wstring NewScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // Process ids come back soon under Wine: a time stamp keeps one run's folders apart from earlier ones.
    static unsigned counter = 0;
    std::wstring base = std::wstring(temp) + L"inboxhop-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(GetTickCount64()) + L"-";
    for (;;) {
        std::wstring folder = base + std::to_wstring(++counter) + L"-" + name;
        if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS) return folder;
    }
}

inline bool CopyProgram(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE);
}

// A whole file's bytes (other writers allowed); nothing when the file cannot be opened.
inline std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    inboxhop::ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string data;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) data.append(buffer, got);
    return data;
}

// Makes the file anew with these bytes; false when it cannot be written.
inline bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    inboxhop::ScopedFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

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

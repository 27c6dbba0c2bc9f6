#include "wine_process.h"

#include <vector>

namespace testing_support {

std::wstring BuildFolder() {
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring text(path, length);
    return text.substr(0, text.find_last_of(L'\\'));
}

std::wstring NewScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // Process ids come back soon under Wine: a time stamp keeps the folders
    // of one run apart from those of the runs before it.
    static unsigned counter = 0;
    std::wstring base = std::wstring(temp) + L"inboxhop-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(GetTickCount64()) + L"-";
    for (;;) {
        std::wstring folder = base + std::to_wstring(++counter) + L"-" + name;
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return folder;
    }
}

bool CopyProgram(const std::wstring& from, const std::wstring& to) { return CopyFileW(from.c_str(), to.c_str(), FALSE); }

StartedProcess::StartedProcess(const std::wstring& program, const std::wstring& commandLine) {
    job_ = CreateJobObjectW(nullptr, nullptr);
    port_ = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    if (job_ && port_) {
        JOBOBJECT_ASSOCIATE_COMPLETION_PORT notices = {job_, port_};
        SetInformationJobObject(job_, JobObjectAssociateCompletionPortInformation, &notices, sizeof(notices));
    }
    std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        folder.c_str(), &startup, &info)) {
        return;
    }
    if (job_) AssignProcessToJobObject(job_, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
}

StartedProcess::~StartedProcess() {
    Terminate();
    if (process_) CloseHandle(process_);
    if (job_) CloseHandle(job_);
    if (port_) CloseHandle(port_);
}

std::optional<DWORD> StartedProcess::WaitForExit(DWORD timeoutMs, const std::function<void()>& onTick) {
    if (!process_) return std::nullopt;
    DWORD start = GetTickCount();
    for (;;) {
        CollectNewProcesses();
        if (onTick) onTick();
        DWORD wait = WaitForSingleObject(process_, 5);
        if (wait == WAIT_OBJECT_0) break;
        if (GetTickCount() - start > timeoutMs) return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

bool StartedProcess::WaitForJobToEmpty(DWORD timeoutMs) {
    if (!job_) return false;
    DWORD start = GetTickCount();
    for (;;) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
        if (!QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr)) {
            return false;
        }
        CollectNewProcesses();
        if (info.ActiveProcesses == 0) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
}

DWORD StartedProcess::ProcessesStarted() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    if (!job_ || !QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr)) {
        return 0;
    }
    return info.TotalProcesses;
}

std::vector<std::wstring> StartedProcess::ProgramsStarted() {
    CollectNewProcesses();
    return programs_;
}

void StartedProcess::CollectNewProcesses() {
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED data = nullptr;
    while (port_ && GetQueuedCompletionStatus(port_, &message, &key, &data, 0)) {
        if (message != JOB_OBJECT_MSG_NEW_PROCESS) continue;
        std::wstring name = L"?";
        HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data)));
        if (p) {
            wchar_t path[MAX_PATH * 2];
            DWORD size = static_cast<DWORD>(std::size(path));
            if (QueryFullProcessImageNameW(p, 0, path, &size)) {
                std::wstring full(path, size);
                name = full.substr(full.find_last_of(L"\\/") + 1);
            }
            CloseHandle(p);
        }
        programs_.push_back(name);
    }
}

void StartedProcess::Terminate() {
    if (job_) TerminateJobObject(job_, 1);
    if (process_) TerminateProcess(process_, 1);
}

}  // namespace testing_support

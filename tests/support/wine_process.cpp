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
}

std::optional<DWORD> StartedProcess::WaitForExit(DWORD timeoutMs, const std::function<void()>& onTick) {
    if (!process_) return std::nullopt;
    DWORD start = GetTickCount();
    for (;;) {
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
        if (info.ActiveProcesses == 0) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
}

void StartedProcess::Terminate() {
    if (job_) TerminateJobObject(job_, 1);
    if (process_) TerminateProcess(process_, 1);
}

}  // namespace testing_support

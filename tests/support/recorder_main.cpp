// The stand-in browser: records the command line it was started with.
#include <windows.h>

#include "recorder_log.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::wstring logPath;
    DWORD size = GetEnvironmentVariableW(testing_support::kRecorderLogVariable, nullptr, 0);
    if (size > 0) {
        logPath.resize(size);
        logPath.resize(GetEnvironmentVariableW(testing_support::kRecorderLogVariable, logPath.data(), size));
    } else {
        // No log named: write beside the recorder itself.
        wchar_t path[MAX_PATH];
        DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        logPath.assign(path, length);
        logPath = logPath.substr(0, logPath.find_last_of(L'\\') + 1) + L"recorder.log";
    }
    return testing_support::AppendRecord(logPath, GetCommandLineW()) ? 0 : 1;
}

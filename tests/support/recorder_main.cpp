// The stand-in browser: records the command line it was started with in the
// log its starter named; without one there is nobody to read the record.
#include <windows.h>

#include "recorder_log.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::wstring logPath(32767, L'\0');
    logPath.resize(GetEnvironmentVariableW(testing_support::kRecorderLogVariable, logPath.data(), 32767));
    return !logPath.empty() && testing_support::AppendRecord(logPath, GetCommandLineW()) ? 0 : 1;
}

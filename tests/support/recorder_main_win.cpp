// The stand-in browser: appends the command line it was started with to the
// log its starter named; without one there is nobody to read the record.
#include <windows.h>

#include <string>

#include "base/scoped.h"
#include "recorder_as_browser.h"
#include "wait_until.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::wstring logPath(32767, L'\0');
    logPath.resize(GetEnvironmentVariableW(testing_support::kRecorderLogVariable, logPath.data(), 32767));
    if (logPath.empty()) return 1;
    const std::wstring text = GetCommandLineW();
    const std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    const std::string record = std::to_string(bytes.size()) + ":" + bytes + "\n";
    // Several starts may write at once: retry while another one holds the file.
    bool written = false;
    testing_support::WaitUntil(
        [&] {
            inboxhop::ScopedFile file(CreateFileW(logPath.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD count = 0;
            if (!file) return false;
            written = WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &count, nullptr) &&
                      count == record.size();
            return true;
        },
        2000);
    return written ? 0 : 1;
}

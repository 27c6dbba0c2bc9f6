#include "recorder_as_browser.h"

#include <algorithm>

#include "app/command_line.h"
#include "app/home_page.h"
#include "recorder_log.h"
#include "started_process.h"
#include "wait_until.h"

namespace testing_support {

RecorderAsBrowser::RecorderAsBrowser() {
    std::wstring recorder = BuildFolder() + L"\\Recorder.exe";
    logPath_ = NewScratchFolder(L"recorder") + L"\\addresses.log";
    SetEnvironmentVariableW(kRecorderLogVariable, logPath_.c_str());
    std::wstring command = L"\"" + recorder + L"\" \"%1\"";
    ok_ = true;
    for (const wchar_t* scheme : {L"http", L"https"}) {
        std::wstring base = std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open";
        saved_.push_back(std::make_unique<ScratchValue>(HKEY_LOCAL_MACHINE, base + L"\\command", L""));
        ok_ = saved_.back()->Set(command) && ok_;
        // A DDE conversation would bypass the command: set it aside while
        // the recorder stands in, and put it back afterwards.
        savedTrees_.push_back(std::make_unique<ScratchTree>(HKEY_LOCAL_MACHINE, base + L"\\ddeexec"));
        DeleteTree(HKEY_LOCAL_MACHINE, base + L"\\ddeexec");
    }
}

RecorderAsBrowser::~RecorderAsBrowser() { SetEnvironmentVariableW(kRecorderLogVariable, nullptr); }

std::vector<std::wstring> RecorderAsBrowser::Addresses() const {
    std::vector<std::wstring> addresses;
    for (const std::wstring& commandLine : ReadRecords(logPath_)) {
        std::wstring argument = inboxhop::CommandLineText(commandLine);
        if (argument.size() >= 2 && argument.front() == L'"' && argument.back() == L'"') {
            argument = argument.substr(1, argument.size() - 2);
        }
        addresses.push_back(argument);
    }
    return addresses;
}

std::vector<std::wstring> RecorderAsBrowser::Pages(size_t from) const {
    std::vector<std::wstring> pages = Addresses();
    pages.erase(pages.begin(), pages.begin() + std::min(from, pages.size()));
    std::erase(pages, std::wstring(inboxhop::kHomePage));
    return pages;
}

std::wstring RecorderAsBrowser::WaitForPage(size_t from, DWORD timeoutMs) const {
    std::vector<std::wstring> pages;
    WaitUntil([&] { return !(pages = Pages(from)).empty(); }, timeoutMs);
    return pages.empty() ? L"" : pages.front();
}

}  // namespace testing_support

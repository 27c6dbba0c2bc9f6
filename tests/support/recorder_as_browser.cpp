#include "recorder_as_browser.h"

#include <algorithm>

#include "app/command_line.h"
#include "app/home_page.h"
#include "file_bytes.h"
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
        // A DDE conversation would bypass the command: set it aside while the recorder stands in.
        savedTrees_.push_back(std::make_unique<ScratchTree>(HKEY_LOCAL_MACHINE, base + L"\\ddeexec"));
        DeleteTree(HKEY_LOCAL_MACHINE, base + L"\\ddeexec");
    }
}

std::vector<std::wstring> RecorderAsBrowser::Addresses() const {
    std::vector<std::wstring> addresses;
    const std::string data = ReadFileBytes(logPath_).value_or("");
    size_t pos = 0;
    while (pos < data.size()) {
        size_t colon = data.find(':', pos);
        if (colon == std::string::npos) break;
        size_t length = std::stoul(data.substr(pos, colon - pos));
        if (colon + 1 + length > data.size()) break;  // a record still being written
        std::wstring argument = inboxhop::CommandLineText(
            std::wstring_view(reinterpret_cast<const wchar_t*>(data.data() + colon + 1), length / sizeof(wchar_t)));
        if (argument.size() >= 2 && argument.front() == L'"' && argument.back() == L'"') {
            argument = argument.substr(1, argument.size() - 2);
        }
        addresses.push_back(argument);
        pos = colon + 1 + length + 1;
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

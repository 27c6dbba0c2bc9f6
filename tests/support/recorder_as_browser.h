// The stand-in browser (Recorder.exe) made the http and https handler for the life of the object, logging to a fresh
// file; the handlers before it are put back afterwards. The log holds one record per start: the byte length of its
// UTF-16 command line, a colon, the text and a line feed, so that any text (line breaks and lone surrogates included)
// survives unchanged.
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/home_page.h"
#include "registry_scratch.h"
#include "scratch_files.h"
#include "wait_until.h"

namespace testing_support {

inline constexpr wchar_t kRecorderLogVariable[] = L"INBOXHOP_RECORDER_LOG";

class RecorderAsBrowser {
public:
    RecorderAsBrowser() {
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
    ~RecorderAsBrowser() { SetEnvironmentVariableW(kRecorderLogVariable, nullptr); }
    RecorderAsBrowser(const RecorderAsBrowser&) = delete;
    RecorderAsBrowser& operator=(const RecorderAsBrowser&) = delete;

    bool ok() const { return ok_; }
    const std::wstring& logPath() const { return logPath_; }
    // The addresses the browser was asked to open, in order: each start's argument, unquoted.
    std::vector<std::wstring> Addresses() const {
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
    // Those after the first `from`, the maker's home page left out (one start in a hundred visits it).
    std::vector<std::wstring> Pages(size_t from = 0) const {
        std::vector<std::wstring> pages = Addresses();
        pages.erase(pages.begin(), pages.begin() + std::min(from, pages.size()));
        std::erase(pages, std::wstring(inboxhop::kHomePage));
        return pages;
    }
    // The first page after the first `from` addresses, waiting up to `timeoutMs` for it; empty on time-out.
    std::wstring WaitForPage(size_t from, DWORD timeoutMs) const {
        std::vector<std::wstring> pages;
        WaitUntil([&] { return !(pages = Pages(from)).empty(); }, timeoutMs);
        return pages.empty() ? L"" : pages.front();
    }

private:
    bool ok_ = false;
    std::wstring logPath_;
    std::vector<std::unique_ptr<ScratchValue>> saved_;
    std::vector<std::unique_ptr<ScratchTree>> savedTrees_;
};

}  // namespace testing_support

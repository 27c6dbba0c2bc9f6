// The stand-in browser (Recorder.exe) made the http and https handler for the
// life of the object, logging to a fresh file; the handlers before it are put
// back afterwards. The log holds one record per start: the byte length of its
// UTF-16 command line, a colon, the text and a line feed, so that any text
// (line breaks and lone surrogates included) survives unchanged.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "registry_scratch.h"
#include "registry_tree.h"

namespace testing_support {

inline constexpr wchar_t kRecorderLogVariable[] = L"INBOXHOP_RECORDER_LOG";

class RecorderAsBrowser {
public:
    RecorderAsBrowser();
    ~RecorderAsBrowser() { SetEnvironmentVariableW(kRecorderLogVariable, nullptr); }
    RecorderAsBrowser(const RecorderAsBrowser&) = delete;
    RecorderAsBrowser& operator=(const RecorderAsBrowser&) = delete;

    bool ok() const { return ok_; }
    const std::wstring& logPath() const { return logPath_; }
    // The addresses the browser was asked to open, in order: each start's argument, unquoted.
    std::vector<std::wstring> Addresses() const;
    // Those after the first `from`, the maker's home page left out (one start in a hundred visits it).
    std::vector<std::wstring> Pages(size_t from = 0) const;
    // The first page after the first `from` addresses, waiting up to `timeoutMs` for it; empty on time-out.
    std::wstring WaitForPage(size_t from, DWORD timeoutMs) const;

private:
    bool ok_ = false;
    std::wstring logPath_;
    std::vector<std::unique_ptr<ScratchValue>> saved_;
    std::vector<std::unique_ptr<ScratchTree>> savedTrees_;
};

}  // namespace testing_support

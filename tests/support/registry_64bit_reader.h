// Reading a value as a 64-bit program sees it: the 64-bit reg.exe, reached
// from a 32-bit process under WOW64 through the sysnative folder.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "base/scoped_win.h"
#include "file_bytes.h"
#include "started_process.h"

namespace testing_support {

struct ListedValue {
    std::wstring type;  // as reg.exe names it: REG_SZ, REG_DWORD...
    std::wstring data;  // as reg.exe shows it (a DWORD as 0x...)
};

// The value `name` (empty: the default value) of HKEY_LOCAL_MACHINE\<path>
// as the 64-bit reg.exe lists it; nothing when it finds no such value, cannot
// be run or does not end in time.
inline std::optional<ListedValue> Query64BitView(const std::wstring& path, const std::wstring& name) {
    const std::wstring reg = L"C:\\windows\\sysnative\\reg.exe";
    std::wstring commandLine = L"\"" + reg + L"\" query \"HKLM\\" + path + L"\" ";
    commandLine += name.empty() ? L"/ve" : L"/v \"" + name + L"\"";
    // Its output goes to a file.
    const std::wstring outPath = NewScratchFolder(L"reg64") + L"\\out.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    inboxhop::ScopedFile out(CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return std::nullopt;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    PROCESS_INFORMATION info = {};
    BOOL started = CreateProcessW(reg.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                  nullptr, &startup, &info);
    out.reset();
    if (!started) return std::nullopt;
    inboxhop::ScopedHandle thread(info.hThread), process(info.hProcess);
    if (WaitForSingleObject(process.get(), 15000) != WAIT_OBJECT_0) return std::nullopt;
    // The ended child's handle may still be closing: ReadFileBytes shares writing too.
    auto output = ReadFileBytes(outPath);
    if (!output) return std::nullopt;
    // Each value is listed as four blanks, its name, four blanks, its type,
    // four blanks and its data. The keys and values read here are ASCII.
    std::wstring wide(output->begin(), output->end());
    const std::wstring head = L"    " + (name.empty() ? std::wstring(L"(Default)") : name) + L"    ";
    size_t at = wide.find(L"\n" + head);
    if (at == std::wstring::npos) return std::nullopt;
    size_t start = at + 1 + head.size();
    std::wstring rest = wide.substr(start, wide.find_first_of(L"\r\n", start) - start);  // npos: to the end
    size_t gap = rest.find(L"    ");
    if (gap == std::wstring::npos) return ListedValue{rest, L""};
    return ListedValue{rest.substr(0, gap), rest.substr(gap + 4)};
}

}  // namespace testing_support

// The test's folders and files: where the built programs are, fresh folders, whole files' bytes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "base/scoped.h"

namespace testing_support {

// The folder of the running test program, where the built programs are.
inline std::wstring BuildFolder() {
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring text(path, length);
    return text.substr(0, text.find_last_of(L'\\'));
}

// A fresh, empty folder for one test, below the system's temporary folder.
inline std::wstring NewScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // Process ids come back soon under Wine: a time stamp keeps one run's folders apart from earlier ones.
    static unsigned counter = 0;
    std::wstring base = std::wstring(temp) + L"inboxhop-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(GetTickCount64()) + L"-";
    for (;;) {
        std::wstring folder = base + std::to_wstring(++counter) + L"-" + name;
        if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS) return folder;
    }
}

inline bool CopyProgram(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE);
}

// A whole file's bytes (other writers allowed); nothing when the file cannot be opened.
inline std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    inboxhop::ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string data;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) data.append(buffer, got);
    return data;
}

// Makes the file anew with these bytes; false when it cannot be written.
inline bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    inboxhop::ScopedFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace testing_support

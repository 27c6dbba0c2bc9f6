// Whole files as bytes: reading one (other writers allowed) and making one.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "base/scoped_win.h"

namespace testing_support {

// Nothing when the file cannot be opened.
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

#include "recorder_log.h"

#include <windows.h>

#include "base/scoped_win.h"
#include "file_bytes.h"
#include "wait_until.h"

namespace testing_support {

namespace {

std::string ToUtf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

}  // namespace

bool AppendRecord(const std::wstring& logPath, const std::wstring& text) {
    std::string bytes = ToUtf8(text);
    std::string record = std::to_string(bytes.size()) + ":" + bytes + "\n";
    // Several starts may write at once: retry while another one holds the file.
    bool written = false;
    WaitUntil(
        [&] {
            inboxhop::ScopedFile file(CreateFileW(logPath.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD bytes = 0;
            if (!file) return false;
            written = WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &bytes, nullptr) &&
                      bytes == record.size();
            return true;
        },
        2000);
    return written;
}

std::vector<std::wstring> ReadRecords(const std::wstring& logPath) {
    std::vector<std::wstring> records;
    const std::string data = ReadFileBytes(logPath).value_or("");
    size_t pos = 0;
    while (pos < data.size()) {
        size_t colon = data.find(':', pos);
        if (colon == std::string::npos) break;
        size_t length = std::stoul(data.substr(pos, colon - pos));
        if (colon + 1 + length > data.size()) break;  // a record still being written
        records.push_back(FromUtf8(data.substr(colon + 1, length)));
        pos = colon + 1 + length + 1;
    }
    return records;
}

}  // namespace testing_support

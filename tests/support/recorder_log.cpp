#include "recorder_log.h"

#include <windows.h>

#include "base/scoped_win.h"
#include "file_bytes.h"
#include "wait_until.h"

namespace testing_support {

bool AppendRecord(const std::wstring& logPath, const std::wstring& text) {
    const std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
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
        records.emplace_back(reinterpret_cast<const wchar_t*>(data.data() + colon + 1), length / sizeof(wchar_t));
        pos = colon + 1 + length + 1;
    }
    return records;
}

}  // namespace testing_support

// The log that the stand-in browser writes: one record per start, each the
// byte length of its UTF-16 text, a colon, the text and a line feed, so that
// any text (line breaks and lone surrogates included) survives unchanged.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

inline constexpr wchar_t kRecorderLogVariable[] = L"INBOXHOP_RECORDER_LOG";

// Appends one record; returns false when the log cannot be written.
bool AppendRecord(const std::wstring& logPath, const std::wstring& text);

// All records of the log, oldest first; none when it does not exist.
std::vector<std::wstring> ReadRecords(const std::wstring& logPath);

}  // namespace testing_support

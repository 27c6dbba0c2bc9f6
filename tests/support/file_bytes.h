// Whole files as bytes: reading one (other writers allowed) and making one.
#pragma once

#include <optional>
#include <string>

namespace testing_support {

// Nothing when the file cannot be opened.
std::optional<std::string> ReadFileBytes(const std::wstring& path);
// Makes the file anew with these bytes; false when it cannot be written.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace testing_support

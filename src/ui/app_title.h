// The application title rule. Pure text.
#pragma once

#include <string>
#include <string_view>

#include "base/product.h"

namespace inboxhop {

inline constexpr size_t kMaxApplicationTitle = 40;

// Drops whole trailing words (from the last blank on) while the title is
// longer than 40 characters. A long title with no blank left is cut to its
// first 40 characters.
std::wstring ShortenApplicationTitle(std::wstring_view title);

}  // namespace inboxhop

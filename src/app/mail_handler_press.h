// What the push button's procedure shows, and the numbers of its steps
// outside the table of keys. Pure text.
#pragma once

#include <string_view>

namespace inboxhop {

inline constexpr int kLineCheckService = 100;
inline constexpr int kLineNoService = 102;
inline constexpr int kLineAnnounce = 132;  // tells the shell that associations changed
inline constexpr int kLineDetect = 134;    // asks who opens this user's mail links
inline constexpr int kLineResult = 138;

inline constexpr std::wstring_view kNoServiceMessage = L"You must select a least one default email.";
inline constexpr std::wstring_view kDoneMessage = L"Done.";

}  // namespace inboxhop

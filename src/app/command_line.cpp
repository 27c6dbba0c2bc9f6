#include "app/command_line.h"

namespace inboxhop {

std::wstring CommandLineText(std::wstring_view whole) {
    size_t end;
    if (!whole.empty() && whole.front() == L'"') {
        size_t close = whole.find(L'"', 1);
        end = (close == std::wstring_view::npos) ? whole.size() : close + 1;
    } else {
        end = whole.find_first_of(L" \t");
        if (end == std::wstring_view::npos) end = whole.size();
    }
    std::wstring_view rest = whole.substr(end);
    if (!rest.empty() && (rest.front() == L' ' || rest.front() == L'\t')) rest.remove_prefix(1);
    return std::wstring(rest);
}

}  // namespace inboxhop

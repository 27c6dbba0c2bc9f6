#include "ui/app_title.h"

namespace inboxhop {

std::wstring ShortenApplicationTitle(std::wstring_view title) {
    while (title.size() > kMaxApplicationTitle) {
        size_t blank = title.rfind(L' ');
        if (blank == std::wstring_view::npos) return std::wstring(title.substr(0, kMaxApplicationTitle));
        title = title.substr(0, blank);
    }
    return std::wstring(title);
}

}  // namespace inboxhop

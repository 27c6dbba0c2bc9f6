#include "app/compose_link.h"

namespace inboxhop {

namespace {

constexpr std::wstring_view kScheme = L"mailto:";

// ASCII-only case folding: the scheme word is plain ASCII, and folding other
// characters could make a non-ASCII letter match it.
wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + (L'a' - L'A')) : c; }

bool SchemeAt(std::wstring_view text, size_t pos) {
    if (text.size() - pos < kScheme.size()) return false;
    for (size_t i = 0; i < kScheme.size(); ++i) {
        if (FoldAscii(text[pos + i]) != kScheme[i]) return false;
    }
    return true;
}

}  // namespace

std::wstring CleanMailArgument(std::wstring_view text) {
    // Pass 1: drop the scheme word wherever it stands. The scan continues
    // after each removed occurrence in the original text, so a scheme word
    // that only forms once its neighbours are joined is left in place.
    std::wstring unschemed;
    unschemed.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (SchemeAt(text, i)) {
            i += kScheme.size();
        } else {
            unschemed.push_back(text[i++]);
        }
    }

    // Pass 2: drop every double quote.
    std::wstring unquoted;
    unquoted.reserve(unschemed.size());
    for (wchar_t c : unschemed) {
        if (c != L'"') unquoted.push_back(c);
    }

    // Pass 3: trim spaces (only U+0020) at both ends.
    size_t first = unquoted.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    size_t last = unquoted.find_last_not_of(L' ');
    return unquoted.substr(first, last - first + 1);
}

std::wstring BuildComposeLink(const Service& service, std::wstring_view recipient) {
    std::wstring link;
    link.reserve(2 + service.scheme.size() + service.host.size() + service.path.size() + recipient.size() +
                 service.after.size());
    link += L'"';
    link += service.scheme;
    link += service.host;
    link += service.path;
    link += recipient;
    link += service.after;
    link += L'"';
    return link;
}

std::optional<std::wstring> BuildComposeLink(std::wstring_view choice, std::wstring_view recipient) {
    const Service* service = FindService(choice);
    if (!service) return std::nullopt;
    return BuildComposeLink(*service, recipient);
}

}  // namespace inboxhop

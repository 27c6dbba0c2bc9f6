// libFuzzer target: the road a command line takes through the program, from
// the whole command line to the compose address handed to the shell.
//
// The input bytes are read as UTF-16 code units, two bytes each, low byte
// first (an odd last byte is one unit by itself), so NULs, lone surrogates
// and every other 16-bit value reach the text handling as they could from
// Windows. On every input:
//   - extracting the argument text yields a proper suffix of the command line;
//   - the recipient holds no double quote, no space at either end, keeps the
//     order of the argument's characters and leaves clean text unchanged;
//   - each of the codes "1" to "4" builds exactly: a double quote, the
//     service's fixed text before the recipient, the recipient, its fixed
//     text after it, a double quote; any other choice builds nothing.
// A broken rule prints what was wrong and aborts, which libFuzzer records
// as a crash together with the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "app/command_line.h"
#include "app/compose_link.h"

namespace {

using inboxhop::BuildComposeLink;
using inboxhop::CleanMailArgument;
using inboxhop::CommandLineText;

// The fixed texts around the recipient, written out here rather than taken
// from the program's table, so that a damaged table is caught as well.
struct Expected {
    std::wstring_view code;
    std::wstring_view before;
    std::wstring_view after;
};
constexpr Expected kServices[] = {
    {L"1", L"https://mail.google.com/mail/?view=cm&tf=0&to=", L"&su=&fs=1"},
    {L"2", L"http://compose.mail.yahoo.com/?To=", L"&subj="},
    {L"3", L"http://mail.live.com/default.aspx?rru=compose?to=", L""},
    {L"4", L"http://mail.aol.com/30361-111/aol-1/en-us/compose-message.aspx?to=", L"&subject="},
};

// Choices that look like service codes but are none of them.
const std::wstring kNonCodes[] = {
    L"", L"0", L"5", L"9", L" 1", L"1 ", L"01", L"11", L"12", L"1\t", std::wstring(L"1\0", 2),
    std::wstring(L"\0", 1), L"\uFF11" /* fullwidth one */, L"\u0661" /* Arabic-Indic one */, L"I", L"one",
};

[[noreturn]] void Fail(const char* rule, std::wstring_view a, std::wstring_view b = {}) {
    std::fprintf(stderr, "broken rule: %s\n", rule);
    auto dump = [](const char* name, std::wstring_view text) {
        std::fprintf(stderr, "  %s (%zu units):", name, text.size());
        for (size_t i = 0; i < text.size() && i < 64; ++i) std::fprintf(stderr, " %04X", unsigned(text[i]));
        std::fprintf(stderr, "%s\n", text.size() > 64 ? " ..." : "");
    };
    dump("value", a);
    if (!b.empty()) dump("from", b);
    std::abort();
}

#define CHECK(cond, rule, ...) \
    do {                       \
        if (!(cond)) Fail(rule, __VA_ARGS__); \
    } while (0)

std::wstring DecodeUnits(const uint8_t* data, size_t size) {
    std::wstring text;
    text.reserve(size / 2 + 1);
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    if (size % 2) text.push_back(static_cast<wchar_t>(data[size - 1]));
    return text;
}

bool IsSubsequence(std::wstring_view inner, std::wstring_view whole) {
    size_t j = 0;
    for (size_t i = 0; i < whole.size() && j < inner.size(); ++i) {
        if (whole[i] == inner[j]) ++j;
    }
    return j == inner.size();
}

// Whether cleaning has anything to do: the scheme word in any ASCII letter
// case, a double quote, or a space at either end.
bool NeedsCleaning(std::wstring_view text) {
    if (text.find(L'"') != std::wstring_view::npos) return true;
    if (!text.empty() && (text.front() == L' ' || text.back() == L' ')) return true;
    constexpr std::wstring_view scheme = L"mailto:";
    for (size_t i = 0; i + scheme.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < scheme.size()) {
            wchar_t c = text[i + k];
            if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
            if (c != scheme[k]) break;
            ++k;
        }
        if (k == scheme.size()) return true;
    }
    return false;
}

void CheckLink(std::wstring_view choice, std::wstring_view recipient) {
    std::optional<std::wstring> link = BuildComposeLink(choice, recipient);
    const Expected* service = nullptr;
    for (const Expected& e : kServices) {
        if (choice == e.code) service = &e;
    }
    if (!service) {
        CHECK(!link.has_value(), "a choice other than 1 to 4 builds nothing", choice);
        return;
    }
    CHECK(link.has_value(), "a service code builds a link", choice);
    const std::wstring& l = *link;
    size_t want = 2 + service->before.size() + recipient.size() + service->after.size();
    CHECK(l.size() == want, "link length is quotes + fixed texts + recipient", l, recipient);
    std::wstring_view v(l);
    CHECK(v.front() == L'"' && v.back() == L'"', "link is enclosed in one double quote each end", l);
    v = v.substr(1, v.size() - 2);
    CHECK(v.substr(0, service->before.size()) == service->before, "fixed text before the recipient", l);
    v.remove_prefix(service->before.size());
    CHECK(v.substr(0, recipient.size()) == recipient, "recipient unchanged inside the link", l, recipient);
    v.remove_prefix(recipient.size());
    CHECK(v == service->after, "fixed text after the recipient, then nothing", l);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring whole = DecodeUnits(data, size);

    // The argument text is what follows the program's path: a proper suffix.
    const std::wstring text = CommandLineText(whole);
    CHECK(whole.empty() ? text.empty() : text.size() < whole.size(), "argument is shorter than the command line",
          text, whole);
    CHECK(std::wstring_view(whole).substr(whole.size() - text.size()) == text, "argument is a suffix", text, whole);

    const std::wstring recipient = CleanMailArgument(text);
    CHECK(recipient.find(L'"') == std::wstring::npos, "recipient holds no double quote", recipient, text);
    CHECK(recipient.empty() || (recipient.front() != L' ' && recipient.back() != L' '),
          "recipient has no space at either end", recipient, text);
    CHECK(IsSubsequence(recipient, text), "cleaning only removes characters", recipient, text);
    if (!NeedsCleaning(text)) CHECK(recipient == text, "clean text is left unchanged", recipient, text);

    for (const Expected& e : kServices) CheckLink(e.code, recipient);
    for (const std::wstring& choice : kNonCodes) CheckLink(choice, recipient);
    // Choices taken from the input itself: its first one and two units.
    for (size_t n = 1; n <= 2 && n <= whole.size(); ++n) CheckLink(std::wstring_view(whole).substr(0, n), recipient);

    // The uncleaned text as recipient too: building never inspects it.
    CheckLink(L"3", text);
    return 0;
}

#include "registry/registry_data.h"

#include <limits>

#include "base/failure.h"

namespace inboxhop {

namespace {

std::int32_t Checked(long long number) {
    if (number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max()) {
        throw Failure(L"Overflow");
    }
    return static_cast<std::int32_t>(number);
}

std::int32_t ParseNumber(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty()) throw Failure(L"Type mismatch");
    // The magnitude fits a long long with room to spare: accumulation stops
    // as soon as it passes 2^32, well beyond the 32-bit range that Checked
    // then refuses.
    long long magnitude = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') throw Failure(L"Type mismatch");
        magnitude = magnitude * 10 + (c - L'0');
        if (magnitude > 1LL << 32) throw Failure(L"Overflow");
    }
    return Checked(negative ? -magnitude : magnitude);
}

}  // namespace

std::wstring_view KeyPathWithoutTrailingBackslash(std::wstring_view path) {
    while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
    return path;
}

std::wstring RegistryValueAsText(const RegistryValue& value) {
    if (const auto* text = std::get_if<std::wstring>(&value)) return *text;
    return DecimalText(std::get<long long>(value));
}

std::int32_t RegistryValueAsNumber(const RegistryValue& value) {
    if (const auto* text = std::get_if<std::wstring>(&value)) return ParseNumber(*text);
    return Checked(std::get<long long>(value));
}

}  // namespace inboxhop

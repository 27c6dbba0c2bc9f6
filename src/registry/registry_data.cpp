#include "registry/registry_data.h"

namespace inboxhop {

std::wstring_view KeyPathWithoutTrailingBackslash(std::wstring_view path) {
    while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
    return path;
}

unsigned long RegistryType(const RegistryValue& value) {
    return std::holds_alternative<std::wstring>(value) ? 1 : 4;
}

std::vector<std::uint8_t> StoredBytes(const RegistryValue& value) {
    if (const auto* text = std::get_if<std::wstring>(&value)) {
        std::vector<std::uint8_t> bytes;
        bytes.reserve((text->size() + 1) * 2);
        for (wchar_t c : *text) {
            bytes.push_back(static_cast<std::uint8_t>(c));
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(c) >> 8));
        }
        bytes.insert(bytes.end(), {0, 0});
        return bytes;
    }
    const auto bits = static_cast<std::uint32_t>(std::get<std::int32_t>(value));
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

}  // namespace inboxhop

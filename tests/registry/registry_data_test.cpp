#include "registry/registry_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace inboxhop {
namespace {

TEST(KeyPath, TrailingBackslashesAreDropped) {
    const std::wstring client = L"SOFTWARE\\Clients\\Mail\\Inboxhop";
    EXPECT_EQ(KeyPathWithoutTrailingBackslash(client + L"\\"), client);
    EXPECT_EQ(KeyPathWithoutTrailingBackslash(client), client);
    EXPECT_EQ(KeyPathWithoutTrailingBackslash(L"A\\\\"), L"A");
    EXPECT_EQ(KeyPathWithoutTrailingBackslash(L"\\"), L"");
    EXPECT_EQ(KeyPathWithoutTrailingBackslash(L""), L"");
}

// A value's kind is its type: no value can be stored under another type.
TEST(RegistryValue, TextIsStoredAsRegSzAndNumbersAsRegDword) {
    EXPECT_EQ(RegistryType(std::wstring(L"42")), 1u);
    EXPECT_EQ(RegistryType(std::int32_t{42}), 4u);
}

TEST(RegistryValue, NumbersAreStoredAsTheirSigned32BitsLittleEndian) {
    struct Case {
        std::int32_t number;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {0, {0, 0, 0, 0}},
        {-1, {0xFF, 0xFF, 0xFF, 0xFF}},
        {-2, {0xFE, 0xFF, 0xFF, 0xFF}},
        {2147483647, {0xFF, 0xFF, 0xFF, 0x7F}},
        {INT32_MIN, {0, 0, 0, 0x80}},
        {305419896, {0x78, 0x56, 0x34, 0x12}},
    };
    for (const Case& c : cases) EXPECT_EQ(StoredBytes(c.number), c.bytes) << c.number;
}

TEST(RegistryValue, TextIsStoredWholeWithItsNul) {
    // An embedded NUL and text beyond the ANSI code page stay as they are.
    const std::wstring text(L"a\0\u00e9\u4e2d", 4);
    EXPECT_EQ(StoredBytes(text), (std::vector<std::uint8_t>{'a', 0, 0, 0, 0xE9, 0, 0x2D, 0x4E, 0, 0}));
    EXPECT_EQ(StoredBytes(std::wstring()), (std::vector<std::uint8_t>{0, 0}));
}

}  // namespace
}  // namespace inboxhop

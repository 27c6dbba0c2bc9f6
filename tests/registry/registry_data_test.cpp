#include "registry/registry_data.h"

#include <gtest/gtest.h>

#include "app/error_trap.h"
#include "failure_text.h"

namespace inboxhop {
namespace {

TEST(KeyPath, TrailingBackslashesAreDropped) {
    EXPECT_EQ(KeyPathWithoutTrailingBackslash(L"SOFTWARE\\Clients\\Mail\\Inboxhop\\"), L"SOFTWARE\\Clients\\Mail\\Inboxhop");
    EXPECT_EQ(KeyPathWithoutTrailingBackslash(L"SOFTWARE\\Clients\\Mail\\Inboxhop"), L"SOFTWARE\\Clients\\Mail\\Inboxhop");
    EXPECT_EQ(KeyPathWithoutTrailingBackslash(L"A\\\\"), L"A");
    EXPECT_EQ(KeyPathWithoutTrailingBackslash(L"\\"), L"");
    EXPECT_EQ(KeyPathWithoutTrailingBackslash(L""), L"");
}

TEST(RegistryValue, NumbersConvertToSigned32Bits) {
    struct Case {
        RegistryValue value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {0LL, 0},
        {-1LL, -1},
        {2147483647LL, 2147483647},
        {-2147483648LL, INT32_MIN},
        {std::wstring(L"42"), 42},
        {std::wstring(L"  -17 "), -17},
        {std::wstring(L"+8"), 8},
        {std::wstring(L"-2147483648"), INT32_MIN},
        {std::wstring(L"0002147483647"), 2147483647},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RegistryValueAsNumber(c.value), c.expected) << RegistryValueAsText(c.value);
    }
}

TEST(RegistryValue, NumbersThatDoNotConvertFailLikeTheLanguage) {
    struct Case {
        RegistryValue value;
        const wchar_t* failure;
    };
    const Case cases[] = {
        {2147483648LL, L"Overflow"},
        {-2147483649LL, L"Overflow"},
        {std::wstring(L"2147483648"), L"Overflow"},
        {std::wstring(L"99999999999999999999999999"), L"Overflow"},
        {std::wstring(L""), L"Type mismatch"},
        {std::wstring(L"-"), L"Type mismatch"},
        {std::wstring(L"12abc"), L"Type mismatch"},
        {std::wstring(L"1 2"), L"Type mismatch"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(testing_support::FailureText([&] { RegistryValueAsNumber(c.value); }), c.failure)
            << RegistryValueAsText(c.value);
    }
}

TEST(RegistryValue, TextIsKeptWholeAndNumbersBecomeDecimal) {
    const std::wstring text(L"a\0b \u00e9\u4e2d\U0001F600", 8);
    EXPECT_EQ(RegistryValueAsText(text), text);
    EXPECT_EQ(RegistryValueAsText(-2147483648LL), L"-2147483648");
}

}  // namespace
}  // namespace inboxhop

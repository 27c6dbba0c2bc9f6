// The settings store against the real registry, in a scratch application key of its own.
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/error_trap.h"
#include "failure_text.h"
#include "registry_scratch.h"

namespace inboxhop {
namespace {

using namespace testing_support;

constexpr wchar_t kApp[] = L"InboxhopSettingsTest";
constexpr wchar_t kAppPath[] = L"Software\\VB and VBA Program Settings\\InboxhopSettingsTest";
constexpr wchar_t kSectionPath[] = L"Software\\VB and VBA Program Settings\\InboxhopSettingsTest\\Section";

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override { DeleteTree(HKEY_CURRENT_USER, kAppPath); }
    void TearDown() override { DeleteTree(HKEY_CURRENT_USER, kAppPath); }
};

TEST_F(SettingsStore, MissingApplicationSectionOrValueReadsAsTheDefault) {
    EXPECT_EQ(GetSetting(kApp, L"Section", L"Option", L"1"), L"1");
    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, kSectionPath, L"Other", L"x"));
    EXPECT_EQ(GetSetting(kApp, L"Section", L"Option", L"1"), L"1");
    EXPECT_EQ(GetSetting(kApp, L"Missing", L"Option", L"1"), L"1");
}

TEST_F(SettingsStore, SaveCreatesTheKeysAndStoresTextThatReadsBackUnchanged) {
    for (const wchar_t* text : {L"2", L"", L" 1", L"01", L"5", L"\u6d4b\u8bd5", L"a longer text with blanks"}) {
        SaveSetting(kApp, L"Section", L"Option", text);
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kSectionPath, L"Option"), text);
        EXPECT_EQ(GetSetting(kApp, L"Section", L"Option", L"1"), text);
    }
}

TEST_F(SettingsStore, AStringValueIsReadUpToItsFirstNul) {
    const struct {
        const char* what;
        std::vector<BYTE> bytes;  // UTF-16 as stored
        const wchar_t* expected;
    } cases[] = {
        {"no NUL after it: taken whole", {'3', 0}, L"3"},
        {"padded with NULs", {'1', 0, 0, 0, 0, 0}, L"1"},
        {"text after a NUL", {'1', 0, 0, 0, 'x', 0, 0, 0}, L"1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteRaw(HKEY_CURRENT_USER, kSectionPath, L"Option", {REG_SZ, c.bytes}));
        EXPECT_EQ(GetSetting(kApp, L"Section", L"Option", L"5"), c.expected);
    }
}

TEST_F(SettingsStore, AValueThatIsNotTextIsAFailure) {
    ASSERT_TRUE(WriteRaw(HKEY_CURRENT_USER, kSectionPath, L"Option", {REG_DWORD, {1, 0, 0, 0}}));
    auto failure = FailureText([] { GetSetting(kApp, L"Section", L"Option", L"1"); });
    ASSERT_TRUE(failure.has_value()) << "a number was read as text";
    EXPECT_FALSE(failure->empty());
}

}  // namespace
}  // namespace inboxhop

// The registry layer: against the real registry (a scratch key, removed again at the end), and against a stand-in
// for the calls it makes.
#include "registry/registry_access.h"

#include <gtest/gtest.h>

#include "registry_stand_in.h"

namespace {

using namespace inboxhop;
using namespace testing_support;

class RegistryLayer : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = L"Software\\InboxhopTest\\Layer" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount64());
        ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, base_));
    }
    void TearDown() override {
        DeleteTree(HKEY_LOCAL_MACHINE, base_);
        DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\InboxhopTest");
    }
    std::wstring Key(const std::wstring& rest) const { return base_ + L"\\" + rest; }

    std::wstring base_;
};

TEST_F(RegistryLayer, APathWithATrailingBackslashNamesTheSameKey) {
    EXPECT_EQ(CreateRegistryKey(HKEY_LOCAL_MACHINE, Key(L"Client\\Shell\\open\\command\\")), ERROR_SUCCESS);
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, Key(L"Client\\Shell\\open\\command")));
    EXPECT_EQ(WriteRegistryValue(HKEY_LOCAL_MACHINE, Key(L"Client\\Shell\\open\\command"), L"", std::wstring(L"plain")),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, Key(L"Client\\Shell\\open\\command"), L""), L"plain");
    // The other way round too, and no key with an empty name appears below.
    EXPECT_EQ(CreateRegistryKey(HKEY_LOCAL_MACHINE, Key(L"Other")), ERROR_SUCCESS);
    EXPECT_EQ(WriteRegistryValue(HKEY_LOCAL_MACHINE, Key(L"Other\\"), L"", std::wstring(L"x")), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, Key(L"Other"), L""), L"x");
    for (const wchar_t* key : {L"Client\\Shell\\open\\command", L"Other"}) {
        const std::optional<KeyTree> tree = ReadTree(HKEY_LOCAL_MACHINE, Key(key));
        ASSERT_TRUE(tree.has_value()) << key;
        EXPECT_TRUE(tree->subkeys.empty()) << key;
    }
}

TEST_F(RegistryLayer, CreatingAnExistingKeyChangesNothing) {
    ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, Key(L"Existing"), L"", L"old default"));
    ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, Key(L"Existing"), L"Named", L"old named"));
    ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, Key(L"Existing\\Child"), L"", L"child"));
    EXPECT_EQ(CreateRegistryKey(HKEY_LOCAL_MACHINE, Key(L"Existing\\")), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, Key(L"Existing"), L""), L"old default");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, Key(L"Existing"), L"Named"), L"old named");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, Key(L"Existing\\Child"), L""), L"child");
}

TEST_F(RegistryLayer, ValuesAreStoredWhole) {
    ASSERT_EQ(CreateRegistryKey(HKEY_LOCAL_MACHINE, Key(L"Values")), ERROR_SUCCESS);
    const std::wstring beyondAnsi =
        L"\"C:\\\u041f\u043e\u0447\u0442\u0430 \u90ae\u4ef6 \U0001F4E7\\Inboxhop.exe\" \"%1\"";
    struct Case {
        const wchar_t* name;
        RegistryValue value;
        RawValue stored;
    };
    const Case cases[] = {
        {L"", std::wstring(L"Inboxhop"), {REG_SZ, StoredText(L"Inboxhop")}},
        {L"Empty", std::wstring(), {REG_SZ, {0, 0}}},
        {L"Wide", beyondAnsi, {REG_SZ, StoredText(beyondAnsi)}},
        {L"Number", std::int32_t{-2}, {REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}}},
        {L"Number2", std::int32_t{305419896}, {REG_DWORD, {0x78, 0x56, 0x34, 0x12}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "value name: " << c.name);
        EXPECT_EQ(WriteRegistryValue(HKEY_LOCAL_MACHINE, Key(L"Values"), c.name, c.value), ERROR_SUCCESS);
        EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, Key(L"Values"), c.name), c.stored);
    }
    // The empty name is the key's default value, as the older call that knows only the default value sees it.
    wchar_t text[32] = {};
    LONG size = sizeof(text);
    ASSERT_EQ(RegQueryValueW(HKEY_LOCAL_MACHINE, Key(L"Values").c_str(), text, &size), ERROR_SUCCESS);
    EXPECT_STREQ(text, L"Inboxhop");
}

TEST_F(RegistryLayer, AnOpenKeyTakesEachKindOfValueUnderItsType) {
    ASSERT_EQ(CreateRegistryKey(HKEY_LOCAL_MACHINE, Key(L"Types")), ERROR_SUCCESS);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Key(L"Types").c_str(), 0, kRegistryAccess, &key), ERROR_SUCCESS);
    EXPECT_EQ(SetOpenKeyValue(key, L"T", std::wstring(L"text")), ERROR_SUCCESS);
    EXPECT_EQ(SetOpenKeyValue(key, L"N", std::int32_t{7}), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, Key(L"Types"), L"T")->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, Key(L"Types"), L"N"), (RawValue{REG_DWORD, {7, 0, 0, 0}}));
}

TEST_F(RegistryLayer, WritingIntoAMissingKeyCreatesNothing) {
    ASSERT_EQ(CreateRegistryKey(HKEY_LOCAL_MACHINE, Key(L"Here")), ERROR_SUCCESS);
    EXPECT_EQ(WriteRegistryValue(HKEY_LOCAL_MACHINE, Key(L"Missing\\Deeper"), L"", std::wstring(L"x")),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(WriteRegistryValue(HKEY_LOCAL_MACHINE, Key(L"Here\\Missing\\"), L"", std::wstring(L"x")),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Key(L"Missing")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Key(L"Here\\Missing")));
    EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, Key(L"Here"), L"").has_value());
}

// The calls themselves, seen through the stand-in.

TEST(RegistryLayerCalls, AskForTheKeyRightsOnlyAndCloseEveryHandle) {
    StandInRegistry registry;
    EXPECT_EQ(CreateRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\A\\B\\"), ERROR_SUCCESS);
    EXPECT_EQ(CreateRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\A\\B\\"), ERROR_SUCCESS);
    EXPECT_EQ(WriteRegistryValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\A\\B", L"", std::wstring(L"v")), ERROR_SUCCESS);
    EXPECT_EQ(WriteRegistryValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\A\\B", L"N", std::int32_t{1}), ERROR_SUCCESS);
    int opens = 0;
    for (const auto& call : registry.calls()) {
        if (call.kind == StandInRegistry::Call::Create || call.kind == StandInRegistry::Call::Open) {
            ++opens;
            EXPECT_EQ(call.root, HKEY_LOCAL_MACHINE);
            EXPECT_EQ(call.access, 0x3Fu);
            EXPECT_EQ(call.options, 0u);
        }
    }
    EXPECT_EQ(opens, 4);
    EXPECT_EQ(registry.OpenHandles(), 0u);
    EXPECT_EQ(registry.BadCloses(), 0);
    EXPECT_EQ(registry.TextOf(L"SOFTWARE\\A\\B"), L"v");
}

TEST(RegistryLayerCalls, RefusalsAreReportedAndCloseOnlyWhatWasOpened) {
    StandInRegistry registry;
    registry.AddKey(L"SOFTWARE\\Denied");
    registry.RefuseCreate(L"SOFTWARE\\New", ERROR_ACCESS_DENIED);
    registry.RefuseOpen(L"SOFTWARE\\Denied", ERROR_ACCESS_DENIED);
    registry.AddKey(L"SOFTWARE\\ReadOnly");
    registry.RefuseWrite(L"SOFTWARE\\ReadOnly", ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\New\\"), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(registry.HasKey(L"SOFTWARE\\New"));
    EXPECT_EQ(WriteRegistryValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Denied", L"", std::wstring(L"v")),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(WriteRegistryValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Absent", L"", std::wstring(L"v")),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(registry.HasKey(L"SOFTWARE\\Absent"));
    EXPECT_EQ(WriteRegistryValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ReadOnly", L"", std::wstring(L"v")),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.ValueCount(), 0u);
    EXPECT_EQ(registry.OpenHandles(), 0u);
    EXPECT_EQ(registry.BadCloses(), 0);
    int closes = 0;
    for (const auto& call : registry.calls()) closes += call.kind == StandInRegistry::Call::Close;
    EXPECT_EQ(closes, 1);  // only the key that was opened for the refused write
}

TEST(RegistryLayerCalls, ReadingTextClosesTheKeyAndAnswersTheStatus) {
    StandInRegistry registry;
    registry.AddKey(L"SOFTWARE\\A");
    ASSERT_EQ(WriteRegistryValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\A", L"", std::wstring(L"one\0two", 7)), ERROR_SUCCESS);
    std::wstring text = L"stale";
    DWORD type = REG_NONE;
    // The text up to its first NUL, as Windows' own tools show it.
    EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\A\\", L"", text, type), ERROR_SUCCESS);
    EXPECT_EQ(text, L"one");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Absent", L"", text, type), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(text, L"");
    EXPECT_EQ(registry.OpenHandles(), 0u);
    EXPECT_EQ(registry.BadCloses(), 0);
}

}  // namespace

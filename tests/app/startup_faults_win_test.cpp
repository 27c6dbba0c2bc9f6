// Faults met during start-up: an unreadable or mistyped stored choice, a broken skin file, a broken
// pointer file. Each shows one error report box naming its step, and the start goes on: a plain start
// still shows the window, a mail-link start still hands the link off and ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_checks.h"

namespace {

using namespace testing_support;

// Exactly one error report box, for `line`; none when `line` is 0.
void ExpectReports(const std::vector<SeenBox>& boxes, int line) {
    ASSERT_EQ(boxes.size(), line ? 1u : 0u) << (boxes.empty() ? L"" : boxes[0].text);
    for (const SeenBox& box : boxes) EXPECT_TRUE(IsErrorReport(box, line));
}

class StartupFault : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(browser_.ok()) << "could not register the stand-in browser";
        option_.Set(L"1");
    }

    // Both kinds of start with the fault in place: one box for `line`, and the start goes on. `opensGmail`:
    // the mail-link start still opens the compose address (the fault left the stored choice alone).
    void ExpectBothStarts(int line, bool opensGmail, const std::wstring& program = ProgramPath()) {
        {
            SCOPED_TRACE("mail-link start");
            ProgramRun run = RunProgram(browser_, L" \"mailto:someone@example.com\"", program);
            ASSERT_EQ(run.exitCode, std::optional<DWORD>(0)) << "the program did not end by itself with exit code 0";
            EXPECT_FALSE(run.windowShown);
            ExpectReports(run.boxes, line);
            const std::wstring gmail = kGmailPage.For(L"someone@example.com");
            EXPECT_EQ(run.addresses, opensGmail ? std::vector{gmail} : std::vector<std::wstring>{});
        }
        {
            SCOPED_TRACE("plain start");
            ShownProgram run(program);
            EXPECT_NE(run.window(), nullptr) << "the window was not shown after the fault";
            ExpectReports(run.boxes(), line);
            ASSERT_EQ(run.Close(), std::optional<DWORD>(0))
                << "closing the window did not end the program with exit code 0";
        }
    }

    // Both starts of a copy of the program in a fresh folder with `entry` made beside it, an empty file
    // or a folder, below a folder of its own when its path has one.
    void ExpectBothStartsBeside(const std::wstring& entry, bool asFolder, int line) {
        const std::wstring folder = NewScratchFolder(L"fault");
        const std::wstring program = folder + L"\\Inboxhop.exe";
        ASSERT_TRUE(CopyProgram(ProgramPath(), program));
        const size_t slash = entry.rfind(L'\\');
        if (slash != std::wstring::npos) {
            ASSERT_TRUE(CreateDirectoryW((folder + L"\\" + entry.substr(0, slash)).c_str(), nullptr));
        }
        const std::wstring path = folder + L"\\" + entry;
        ASSERT_TRUE(asFolder ? CreateDirectoryW(path.c_str(), nullptr) != FALSE : WriteFileBytes(path, ""));
        ExpectBothStarts(line, true, program);
    }

    ScratchOption option_;
    RecorderAsBrowser browser_;
};

// ---- The stored choice (line 128) --------------------------------------

TEST_F(StartupFault, AStoredChoiceOfAnotherTypeIsReportedAndLeftAsItIs) {
    const struct {
        const char* name;
        RawValue value;
    } cases[] = {
        {"number", {REG_DWORD, {1, 0, 0, 0}}},
        {"bytes", {REG_BINARY, {'1', 0}}},
        {"list of texts", {REG_MULTI_SZ, {'1', 0, 0, 0, 0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(option_.SetRaw(c.value));
        // The choice stays empty after the failed read: the link opens nothing.
        ExpectBothStarts(128, false);
        // Nothing repairs or rewrites the value.
        auto stored = option_.ReadRawValue();
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->type, c.value.type);
        EXPECT_EQ(stored->data, c.value.data);
    }
}

TEST_F(StartupFault, AnUnreadableSettingsSectionIsReported) {
    {
        // Everyone may do all but read its values.
        ReadOnlyKeys unreadable;
        ASSERT_TRUE(unreadable.Restrict(HKEY_CURRENT_USER, kSettingsSectionPath, KEY_ALL_ACCESS & ~KEY_QUERY_VALUE))
            << "could not take the read permission away";
        // The refusal must be real, or the test proves nothing.
        HKEY probe;
        LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsSectionPath, 0, KEY_QUERY_VALUE, &probe);
        if (status == ERROR_SUCCESS) RegCloseKey(probe);
        ASSERT_EQ(status, ERROR_ACCESS_DENIED) << "the system does not enforce the permission";
        ExpectBothStarts(128, false);
    }
    EXPECT_EQ(option_.Read(), L"1");
}

// ---- Files beside the program (lines 100 and 108) ----------------------

TEST_F(StartupFault, AnEmptySkinFileIsReportedAtTheSkinStep) {
    ExpectBothStartsBeside(L"x\\o.cjs", false, 100);
}

TEST_F(StartupFault, ASkinPathThatIsAFolderCountsAsNoSkin) {
    // The skin is looked up as a normal file: a folder of that name is no skin file, so nothing to report.
    ExpectBothStartsBeside(L"x\\o.cjs", true, 0);
}

TEST_F(StartupFault, APointerFileThatIsNoCursorIsReportedAtThePointerStep) {
    // A folder has a last-change time too, so it passes the existence test and then fails to load.
    for (bool asFolder : {false, true}) {
        SCOPED_TRACE(asFolder ? "a folder" : "zero bytes");
        ExpectBothStartsBeside(L"HAND-M.CUR", asFolder, 108);
    }
}

}  // namespace

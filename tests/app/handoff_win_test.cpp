// The real program, started the way the shell starts it for a mail link,
// with the stand-in browser recording the address it is asked to open.
#include <gtest/gtest.h>

#include "app_checks.h"
#include "base/system_error.h"
#include "ui/inboxhop_window.h"

namespace {

using namespace testing_support;
using inboxhop::SystemMessage;

class HandOff : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(browser_.ok()) << "could not register the stand-in browser"; }

    // A mail-link start that must end by itself, show nothing and open exactly `expected` (nothing when empty).
    void ExpectOpens(const std::wstring& arguments, const std::wstring& expected) {
        SCOPED_TRACE(testing::Message() << "arguments: " << arguments);
        ProgramRun run = RunProgram(browser_, arguments);
        ASSERT_EQ(run.exitCode, std::optional<DWORD>(0)) << "the program did not end by itself with exit code 0";
        EXPECT_FALSE(run.windowShown);
        EXPECT_TRUE(run.boxes.empty()) << (run.boxes.empty() ? L"" : run.boxes[0].text);
        EXPECT_EQ(run.addresses, expected.empty() ? std::vector<std::wstring>{} : std::vector{expected});
    }

    ScratchOption option_;
    RecorderAsBrowser browser_;
};

std::wstring Gmail(const std::wstring& recipient) { return kGmailPage.For(recipient); }

TEST_F(HandOff, OpensTheChosenServicesComposePage) {
    for (const ComposePage* service : {&kGmailPage, &kYahooPage, &kHotmailPage, &kAolPage}) {
        SCOPED_TRACE(testing::Message() << "choice " << service->code);
        option_.Set(service->code);
        ExpectOpens(L" \"mailto:someone@example.com\"", service->For(L"someone@example.com"));
        // The start stores the choice again, unchanged.
        EXPECT_EQ(option_.Read(), service->code);
    }
}

TEST_F(HandOff, CleansTheLinkIntoTheRecipient) {
    option_.Set(L"1");
    const struct {
        const wchar_t* arguments;
        std::wstring address;
    } cases[] = {
        {L" \"MAILTO:someone@example.com\"", Gmail(L"someone@example.com")},
        {L" MailTo:someone@example.com", Gmail(L"someone@example.com")},
        // A query stays in the recipient; the service's own subject stays empty.
        {L" \"mailto:someone@example.com?subject=Hello\"", Gmail(L"someone@example.com?subject=Hello")},
        {L" \"mailto:a@b.c?cc=mailto:d@e.f\"", Gmail(L"a@b.c?cc=d@e.f")},
        // Nothing left: the page opens with no recipient.
        {L" \"mailto:\"", Gmail(L"")},
        {L" \"\"", Gmail(L"")},
        // Spaces at the ends go, inside or outside the quotes; a space within stays.
        {L"  \"  mailto:some one@example.com  \"  ", Gmail(L"some one@example.com")},
        // Not a mail link: the text is the recipient all the same.
        {L" hello", Gmail(L"hello")},
        // A scheme word formed by a removal, or split by a quote, stays.
        {L" \"mamailto:ilto:x@y.z\"", Gmail(L"mailto:x@y.z")},
        {L" \"mail\"to:x@y.z\"", Gmail(L"mailto:x@y.z")},
    };
    for (const auto& c : cases) ExpectOpens(c.arguments, c.address);
}

TEST_F(HandOff, AnEmptyRecipientUnderHotmailEndsWithTheQueryKey) {
    option_.Set(L"3");
    ExpectOpens(L" \"mailto:\"", kHotmailPage.For(L""));
}

TEST_F(HandOff, TextBeyondTheAnsiCodePageReachesTheBrowserUnchanged) {
    option_.Set(L"2");
    ExpectOpens(L" \"mailto:\u6d4b\u8bd5@\u4f8b\u5b50.cn\"", kYahooPage.For(L"\u6d4b\u8bd5@\u4f8b\u5b50.cn"));
}

TEST_F(HandOff, ALongLinkIsPassedWhole) {
    option_.Set(L"1");
    // Kept under 900 characters: Wine's own shell fails on longer links.
    std::wstring recipient = L"someone@example.com?body=" + std::wstring(800, L'x');
    ExpectOpens(L" \"mailto:" + recipient + L"\"", Gmail(recipient));
}

TEST_F(HandOff, AChoiceThatIsNoServiceCodeOpensNothingAndIsKept) {
    for (const wchar_t* choice : {L"", L"0", L"5", L" 1", L"1 ", L"01"}) {
        SCOPED_TRACE(testing::Message() << "choice \"" << choice << "\"");
        option_.Set(choice);
        ExpectOpens(L" \"mailto:someone@example.com\"", L"");
        EXPECT_EQ(option_.Read(), choice);
    }
}

TEST_F(HandOff, NoStoredChoiceMeansGmailAndStoresIt) {
    option_.Remove();
    ExpectOpens(L" \"mailto:someone@example.com\"", Gmail(L"someone@example.com"));
    EXPECT_EQ(option_.Read(), L"1");
}

TEST_F(HandOff, AChoiceStoredWithExtraNulsIsReadAsWindowsShowsIt) {
    option_.SetRaw({REG_SZ, {'1', 0, 0, 0, 0, 0}});  // "1" and two NULs: reg query shows "1"
    ExpectOpens(L" \"mailto:someone@example.com\"", Gmail(L"someone@example.com"));
}

TEST_F(HandOff, AnAddressTheShellCannotOpenIsReportedAtItsStepAndTheProgramEndsWithExitCode1) {
    // Gmail's address is an https one, the other services' http ones; their steps are 156, 160, 164 and 168.
    const ComposePage* services[] = {&kGmailPage, &kYahooPage, &kHotmailPage, &kAolPage};
    for (int i = 0; i < 4; ++i) {
        const bool programMissing = i >= 2;
        SCOPED_TRACE(programMissing ? "a program that is missing" : "no class for the scheme");
        const std::wstring scheme = i == 0 ? L"Software\\Classes\\https" : L"Software\\Classes\\http";
        ScratchTree saved(HKEY_LOCAL_MACHINE, scheme);
        if (programMissing) {
            WriteText(HKEY_LOCAL_MACHINE, scheme + L"\\shell\\open\\command", L"",
                      L"\"C:\\nowhere\\browser.exe\" \"%1\"");
        } else {
            DeleteTree(HKEY_LOCAL_MACHINE, scheme);
        }
        option_.Set(services[i]->code);
        ProgramRun run = RunProgram(browser_, L" \"mailto:someone@example.com\"");
        EXPECT_EQ(run.exitCode, std::optional<DWORD>(1));
        EXPECT_TRUE(!run.windowShown && run.addresses.empty());
        ASSERT_EQ(run.boxes.size(), 1u);
        // The step's report, opening with the system's reason.
        const std::wstring reason = SystemMessage(programMissing ? ERROR_FILE_NOT_FOUND : ERROR_NO_ASSOCIATION);
        EXPECT_TRUE(IsErrorReport(run.boxes[0], 156 + 4 * i) && run.boxes[0].text.starts_with(reason + L"\r\n"));
    }
}

TEST_F(HandOff, AFailingStepIsReportedAndTheStartGoesOn) {
    // A choice stored as a number cannot be read as text: the read fails.
    option_.SetRaw(NumberValue(1));
    ProgramRun run = RunProgram(browser_, L" \"mailto:someone@example.com\"");
    ASSERT_EQ(run.exitCode, std::optional<DWORD>(0));
    EXPECT_FALSE(run.windowShown);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_TRUE(IsErrorReport(run.boxes[0], 128));
    // The choice stayed empty: nothing is opened, and the value is not repaired.
    EXPECT_TRUE(run.addresses.empty());
    EXPECT_EQ(option_.ReadRawValue()->type, static_cast<DWORD>(REG_DWORD));
}

TEST(Start, WithoutALinkShowsTheWindowUntilItIsClosed) {
    ScratchOption option;
    option.Remove();
    ShownProgram shown(ProgramPath(), L"Inboxhop");
    HWND window = shown.window();
    ASSERT_NE(window, nullptr) << "the main window did not appear";
    // Gmail is marked and stored at start-up.
    EXPECT_EQ(SendMessageW(GetDlgItem(window, inboxhop::kServiceButtonId), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(option.Read(), L"1");
    ASSERT_EQ(shown.Close(), std::optional<DWORD>(0)) << "closing the window did not end the program with exit code 0";
}

}  // namespace

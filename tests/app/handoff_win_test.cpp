// The real program, started the way the shell starts it for a mail link,
// with the stand-in browser recording the address it is asked to open.
#include <gtest/gtest.h>

#include "app/home_page.h"
#include "registry_scratch.h"
#include "ui/form1.h"
#include "wine_process.h"
#include "windows_seen.h"

namespace {

using namespace testing_support;

constexpr wchar_t kGmail[] = L"https://mail.google.com/mail/?view=cm&tf=0&to=";
constexpr wchar_t kGmailAfter[] = L"&su=&fs=1";

struct Outcome {
    std::optional<DWORD> exitCode;
    bool windowShown = false;
    std::vector<WindowWatcher::Box> boxes;
    std::vector<std::wstring> addresses;
};

class HandOff : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(browser_.ok()) << "could not register the stand-in browser"; }

    // Starts the program with `argument` after its quoted path, exactly.
    Outcome Run(const std::wstring& argument, const std::wstring& program = BuildFolder() + L"\\Inboxhop.exe") {
        Outcome outcome;
        StartedProcess process(program, L"\"" + program + L"\"" + argument);
        EXPECT_TRUE(process.started());
        WindowWatcher watcher(process.pid());
        outcome.exitCode = process.WaitForExit(20000, [&] { watcher.Tick(); });
        // What the shell started (the browser) finishes on its own.
        process.WaitForJobToEmpty(10000);
        outcome.windowShown = watcher.SawVisible(inboxhop::kForm1Class);
        outcome.boxes = watcher.boxes();
        for (const std::wstring& address : browser_.Addresses()) {
            // One start in a hundred also visits the maker's home page.
            if (address != inboxhop::kHomePage) outcome.addresses.push_back(address);
        }
        return outcome;
    }

    // A mail-link start that must end by itself, show nothing and open
    // exactly `expected`, or nothing when `expected` is empty.
    void ExpectOpens(const std::wstring& argument, const std::wstring& expected) {
        SCOPED_TRACE(testing::Message() << "argument: " << argument);
        Outcome outcome = Run(argument);
        ASSERT_TRUE(outcome.exitCode.has_value()) << "the program did not end by itself";
        EXPECT_EQ(*outcome.exitCode, 0u);
        EXPECT_FALSE(outcome.windowShown);
        EXPECT_TRUE(outcome.boxes.empty()) << (outcome.boxes.empty() ? L"" : outcome.boxes[0].text);
        if (expected.empty()) {
            EXPECT_TRUE(outcome.addresses.empty()) << outcome.addresses[0];
        } else {
            ASSERT_EQ(outcome.addresses.size(), 1u);
            EXPECT_EQ(outcome.addresses[0], expected);
        }
    }

    ScratchOption option_;
    RecorderAsBrowser browser_;
};

TEST_F(HandOff, OpensTheChosenServicesComposePage) {
    const std::wstring link = L" \"mailto:someone@example.com\"";
    option_.Set(L"1");
    ExpectOpens(link, std::wstring(kGmail) + L"someone@example.com" + kGmailAfter);
}

}  // namespace

// The real program, started the way the shell starts it for a mail link,
// with the stand-in browser recording the address it is asked to open.
#include <gtest/gtest.h>

#include "program_run.h"
#include "registry_scratch.h"

namespace {

using namespace testing_support;

constexpr wchar_t kGmail[] = L"https://mail.google.com/mail/?view=cm&tf=0&to=";
constexpr wchar_t kGmailAfter[] = L"&su=&fs=1";

class HandOff : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(browser_.ok()) << "could not register the stand-in browser"; }

    // A mail-link start that must end by itself, show nothing and open
    // exactly `expected`, or nothing when `expected` is empty.
    void ExpectOpens(const std::wstring& arguments, const std::wstring& expected) {
        SCOPED_TRACE(testing::Message() << "arguments: " << arguments);
        ProgramRun run = RunProgram(browser_, arguments);
        ASSERT_TRUE(run.exitCode.has_value()) << "the program did not end by itself";
        EXPECT_EQ(*run.exitCode, 0u);
        EXPECT_FALSE(run.windowShown);
        EXPECT_TRUE(run.boxes.empty()) << (run.boxes.empty() ? L"" : run.boxes[0].text);
        if (expected.empty()) {
            EXPECT_TRUE(run.addresses.empty()) << run.addresses[0];
        } else {
            ASSERT_EQ(run.addresses.size(), 1u);
            EXPECT_EQ(run.addresses[0], expected);
        }
    }

    ScratchOption option_;
    RecorderAsBrowser browser_;
};

TEST_F(HandOff, OpensTheChosenServicesComposePage) {
    option_.Set(L"1");
    ExpectOpens(L" \"mailto:someone@example.com\"", std::wstring(kGmail) + L"someone@example.com" + kGmailAfter);
}

}  // namespace

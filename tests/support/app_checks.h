// Checks shared by the tests that start the real program: the compose addresses it must open, its push
// button's press, and the error report box a failed start-up step shows.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "program_run.h"

namespace testing_support {

// A service's compose address around the recipient, written out here, not
// taken from the product, so that a wrong template shows.
struct ComposePage {
    const wchar_t* code;    // the stored choice that selects the service
    const wchar_t* before;  // scheme, host, path and query up to the recipient
    const wchar_t* after;
    std::wstring For(const std::wstring& recipient) const { return before + recipient + after; }
};
inline constexpr ComposePage kGmailPage = {L"1", L"https://mail.google.com/mail/?view=cm&tf=0&to=", L"&su=&fs=1"};
inline constexpr ComposePage kYahooPage = {L"2", L"http://compose.mail.yahoo.com/?To=", L"&subj="};
inline constexpr ComposePage kHotmailPage = {L"3", L"http://mail.live.com/default.aspx?rru=compose?to=", L""};
inline constexpr ComposePage kAolPage = {L"4", L"http://mail.aol.com/30361-111/aol-1/en-us/compose-message.aspx?to=",
                                         L"&subject="};

// Presses a shown program's push button and answers the box the press ends with: that box, or an
// empty one (with the failure recorded) when the window or the box did not come.
inline SeenBox PressAndAnswer(ShownProgram& program, DWORD timeoutMs = 15000) {
    if (!program.window()) {
        ADD_FAILURE() << "the window did not appear";
        return {};
    }
    HWND box = program.Press(timeoutMs);
    if (!box) {
        ADD_FAILURE() << "no message box after the press";
        return {};
    }
    return AnswerBox(box, timeoutMs);
}

// Starts `program`, presses its push button and answers the box; then closes the program and waits
// until it and all it started have ended, so that whatever they were to record is recorded: the box.
inline SeenBox PressOnce(const std::wstring& program = ProgramPath(), DWORD timeoutMs = 15000) {
    ShownProgram shown(program);
    SeenBox box = PressAndAnswer(shown, timeoutMs);
    EXPECT_TRUE(shown.Close(timeoutMs).has_value()) << "the program did not end after closing";
    EXPECT_TRUE(shown.process().WaitForJobToEmpty(timeoutMs));
    return box;
}

// A note of the program's own: its title, this text, and no icon.
inline void ExpectPlainBox(const SeenBox& box, const std::wstring& text) {
    EXPECT_EQ(box.title, L"Inboxhop");
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.icon, nullptr);
}

// Whether `box` reports a failure of the start-up step at `line`: the report's
// title, and its text ending with where it failed and whom to tell.
inline ::testing::AssertionResult IsErrorReport(const SeenBox& box, int line) {
    const std::wstring tail = L"\r\nin Mailvane2021/08/31.Form1.Form_Load at line " + std::to_wstring(line) +
                              L"\r\rPlease email screenshot of this message to support@kestrelon.com";
    if (box.title == L"Application Error" && box.text.size() > tail.size() &&
        box.text.compare(box.text.size() - tail.size(), tail.size(), tail) == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "not the report for line " << line << ": " << box.title << ": " << box.text;
}

}  // namespace testing_support

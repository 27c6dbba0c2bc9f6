// Hostile command lines: a mail link comes from any web page or document, so the real program is started with odd,
// malformed and malicious argument texts. Every start must end by itself with exit code 0, show no window and no box,
// and hand the shell either nothing (no service chosen) or exactly one address: the chosen service's compose address
// around the cleaned text. Nothing else may ever be opened.
#include <gtest/gtest.h>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "app_checks.h"

namespace {

using namespace testing_support;

// One hostile start: the text after the program's quoted path (appended as it is), and the recipient the
// compose address must carry; nothing when the exact text cannot survive the trip through the shell and the log.
struct Case {
    std::wstring arguments;
    std::optional<std::wstring> recipient;
};

std::wstring Printable(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text.substr(0, 120)) {
        wchar_t code[8];
        swprintf(code, 8, L"\\u%04x", static_cast<unsigned>(c));
        out += (c < 0x20 || c > 0x7e) ? std::wstring(code) : std::wstring(1, c);
    }
    if (text.size() > 120) out += L"... (" + std::to_wstring(text.size()) + L" characters)";
    return out;
}

class HostileLink : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(browser_.ok()) << "could not register the stand-in browser"; }

    // Starts the program once and checks the rules every start must keep. `service` null: the stored
    // choice names no service and nothing may open. `shellMayRefuse`: the shell may decline the
    // address (too long for it), so nothing opening is allowed too.
    void Expect(const Case& c, const ComposePage* service, bool shellMayRefuse = false) {
        SCOPED_TRACE(testing::Message() << "arguments: " << Printable(c.arguments));
        ProgramRun run = RunProgram(browser_, c.arguments);
        ASSERT_EQ(run.exitCode, std::optional<DWORD>(0)) << "the program did not end by itself with exit code 0";
        EXPECT_FALSE(run.windowShown);
        EXPECT_TRUE(run.boxes.empty()) << (run.boxes.empty() ? L"" : run.boxes[0].text);
        // Nothing else was started: the program, plus the browser when a service is chosen. The home-page
        // visit (one start in a hundred) starts the explorer and the browser too, so it leaves the count open.
        ASSERT_GT(run.processes, 0u) << "the processes of the run could not be counted";
        std::wstring programs;
        for (const std::wstring& p : run.programs) {
            programs += p + L" ";
            EXPECT_TRUE(p == L"Inboxhop.exe" || p == L"Recorder.exe" || p == L"?" ||
                        (run.homePageVisited && p == L"explorer.exe")) << "the start ran " << p;
        }
        SCOPED_TRACE(testing::Message() << "programs: " << programs);
        const bool opensNothing = !service || (shellMayRefuse && run.addresses.empty());
        if (!run.homePageVisited) {
            EXPECT_EQ(run.processes, opensNothing ? 1u : 2u);
        }
        if (opensNothing) {
            EXPECT_TRUE(run.addresses.empty()) << Printable(run.addresses[0]);
            return;
        }
        ASSERT_EQ(run.addresses.size(), 1u) << "exactly one address must be opened";
        const std::wstring& address = run.addresses[0];
        const std::wstring before = service->before, after = service->after;
        ASSERT_GE(address.size(), before.size() + after.size()) << Printable(address);
        EXPECT_EQ(address.substr(0, before.size()), before) << Printable(address);
        EXPECT_EQ(address.substr(address.size() - after.size()), after) << Printable(address);
        if (c.recipient) {
            EXPECT_EQ(Printable(address.substr(before.size(), address.size() - before.size() - after.size())),
                      Printable(*c.recipient));
        }
    }

    void ExpectAll(const ComposePage& service, const std::vector<Case>& cases) {
        option_.Set(service.code);
        for (const Case& c : cases) Expect(c, &service);
    }

    ScratchOption option_;
    RecorderAsBrowser browser_;
    DesktopKeeper desktop_;
};

TEST_F(HostileLink, QuotesInOddPlacesAndCounts) {
    ExpectAll(kGmailPage, {
        {L" \"", L""},
        {L" \"\"\"\"", L""},
        {L" " + std::wstring(101, L'"'), L""},
        {L" \"mailto:a@b.c", L"a@b.c"},                       // never closed
        {L" mailto:a@b.c\"", L"a@b.c"},                       // closed, never opened
        {L"\"mailto:a@b.c\"", L"a@b.c"},                      // glued to the program's path
        {L" \"a\"b\"c\"@d.e\"", L"abc@d.e"},                  // quotes inside the address
        {L" \"mailto:a@b.c\" \"mailto:x@y.z\"", L"a@b.c x@y.z"},  // two links
        {L" \"mailto:a@b.c\" & \"calc.exe\"", L"a@b.c & calc.exe"},
        {L" \"\" \"mailto:a@b.c\" \"\"", L"a@b.c"},
        {L" \\\"mailto:a@b.c\\\"", L"\\a@b.c\\"},           // escaped as a C runtime would
    });
}

TEST_F(HostileLink, TextThatLooksLikeSwitches) {
    ExpectAll(kGmailPage, {
        {L" --x", L"--x"},
        {L" /register", L"/register"},
        {L" -url=http://evil.example/", L"-url=http://evil.example/"},
        {L" /S \"mailto:a@b.c\"", L"/S a@b.c"},
        {L" -- \"mailto:a@b.c\"", L"-- a@b.c"},
        {L" /?", L"/?"},
    });
}

TEST_F(HostileLink, OtherSchemesAndPathsStayInsideTheComposeAddress) {
    const std::vector<Case> cases = {
        {L" \"file:///C:/Windows/notepad.exe\"", L"file:///C:/Windows/notepad.exe"},
        {L" \\\\host\\share\\x.exe", L"\\\\host\\share\\x.exe"},
        {L" C:\\Windows\\notepad.exe", L"C:\\Windows\\notepad.exe"},
        {L" \"C:\\Windows\\notepad.exe\"", L"C:\\Windows\\notepad.exe"},
        {L" ms-settings:", L"ms-settings:"},
        {L" javascript:alert(1)", L"javascript:alert(1)"},
        {L" \"mailto:javascript:alert(1)\"", L"javascript:alert(1)"},
        {L" \"mailto:a@b.c?body=http://x.example/\"", L"a@b.c?body=http://x.example/"},
        {L" notepad.exe", L"notepad.exe"},
        {L" ..\\..\\Windows\\notepad.exe", L"..\\..\\Windows\\notepad.exe"},
    };
    // The hosts differ per service and Hotmail has no text after the recipient.
    for (const ComposePage* service : {&kGmailPage, &kHotmailPage}) ExpectAll(*service, cases);
}

TEST_F(HostileLink, PercentSequencesAreNotDecoded) {
    ExpectAll(kYahooPage, {
        {L" \"mailto:a%00@b.c\"", L"a%00@b.c"},
        {L" \"mailto:a%22@b.c\"", L"a%22@b.c"},
        {L" \"mailto:a%zz@b.c\"", L"a%zz@b.c"},
        {L" \"mailto:a@b.c%\"", L"a@b.c%"},
        {L" %", L"%"},
        {L" \"mailto:%0D%0Abcc:x@y.z\"", L"%0D%0Abcc:x@y.z"},
        // Placeholders of the shell's own command templates.
        {L" \"mailto:%1\"", L"%1"},
        {L" \"mailto:%*\"", L"%*"},
        {L" \"mailto:%L %l %~1\"", L"%L %l %~1"},
        // The shell expands environment references in the address it is given; it stays the compose address.
        {L" %SystemRoot%\\notepad.exe", std::nullopt},
    });
}

TEST_F(HostileLink, ControlCharactersPassThroughUnchanged) {
    ExpectAll(kAolPage, {
        {L" \"mailto:a@b.c\r\nbcc: x@y.z\"", L"a@b.c\r\nbcc: x@y.z"},
        {L" \"mailto:a@b.c\n\"", L"a@b.c\n"},
        {L" \"mailto:a@b.c\r\"", L"a@b.c\r"},
        // Only spaces are trimmed: a tab at either end stays.
        {L" \"\tmailto:a@b.c\t\"", L"\ta@b.c\t"},
        {L" \"mailto:a\x01\x07\x08\x1b\x7f@b.c\"", L"a\x01\x07\x08\x1b\x7f@b.c"},
        {L" \"mailto:a\u0085\u2028\u2029@b.c\"", L"a\u0085\u2028\u2029@b.c"},
    });
}

TEST_F(HostileLink, CharactersOutsideTheAnsiCodePage) {
    ExpectAll(kGmailPage, {
        {L" \"mailto:\u6d4b\u8bd5@\u4f8b\u5b50.cn\"", L"\u6d4b\u8bd5@\u4f8b\u5b50.cn"},
        {L" \"mailto:\U0001F600@x.y\"", L"\U0001F600@x.y"},               // a surrogate pair
        {L" \"mailto:\u202Ecod.exe@x.y\"", L"\u202Ecod.exe@x.y"},          // right-to-left override
        {L" \"\uFEFFmailto:a@b.c\"", L"\uFEFFa@b.c"},                     // byte order mark
        {L" \"\uFF4D\uFF41\uFF49\uFF4C\uFF54\uFF4F:a@b.c\"", L"\uFF4D\uFF41\uFF49\uFF4C\uFF54\uFF4F:a@b.c"},  // fullwidth
        {L" \"MA\u0130LTO:a@b.c\"", L"MA\u0130LTO:a@b.c"},                // dotted capital I
        // A lone surrogate cannot survive the log's UTF-8; the rules still hold.
        {L" \"mailto:a\xD800@b.c\"", std::nullopt},
    });
}

TEST_F(HostileLink, OnlyBlanksAfterTheProgramPathHandOffAnEmptyRecipient) {
    // One blank separates the path from an empty argument; any more are the argument itself, which cleans to nothing.
    ExpectAll(kHotmailPage, {
        {L"  ", L""},
        {std::wstring(L" ") + std::wstring(200, L' '), L""},
        {L" \t\t", L"\t\t"},  // tabs are not trimmed
        {L"\t\t", L"\t"},    // a tab separates the path too
    });
}

TEST_F(HostileLink, NoServiceChosenOpensNothingWhateverTheLink) {
    const std::vector<Case> cases = {
        {L" \"mailto:a@b.c\"", std::nullopt},
        {L" \"file:///C:/Windows/notepad.exe\"", std::nullopt},
        {L" C:\\Windows\\notepad.exe", std::nullopt},
        {L" \"mailto:a@b.c\r\n\"", std::nullopt},
        {L"   ", std::nullopt},
    };
    for (const wchar_t* choice : {L"", L"5", L"1 "}) {
        option_.Set(choice);
        for (const Case& c : cases) Expect(c, nullptr);
    }
}

// A mail link filling the whole command line: CreateProcess takes at most 32,767 characters with the closing NUL.
TEST_F(HostileLink, ACommandLineNearTheSystemLimit) {
    const size_t room = 32766 - (ProgramPath().size() + 2);  // beside the quoted path
    const Case c = {L" \"mailto:a@b.c?body=" + std::wstring(room - 21, L'a') + L"\"", std::nullopt};
    ASSERT_EQ(ProgramPath().size() + 2 + c.arguments.size(), 32766u);
    // No service: nothing to open, and the program ends quietly.
    option_.Set(L"5");
    Expect(c, nullptr);
    // A service: the compose address is longer than any command line, so the browser cannot be started
    // with it; the shell may refuse it, but the program must still end quietly and open nothing else.
    option_.Set(L"2");
    Expect(c, &kYahooPage, true);
}

}  // namespace

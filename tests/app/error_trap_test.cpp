#include "app/error_trap.h"

#include <gtest/gtest.h>

#include <vector>

namespace inboxhop {
namespace {

TEST(ErrorReportText, IsWordedExactly) {
    EXPECT_EQ(ErrorReportText(L"File not found", L"Form_Load", 108),
              L"File not found\r\nin Mailvane2021/08/31.Form1.Form_Load at line 108\r\r"
              L"Please email screenshot of this message to support@kestrelon.com");
    EXPECT_EQ(ErrorReportText(L"", L"PushButton1_Click", 100),
              L"\r\nin Mailvane2021/08/31.Form1.PushButton1_Click at line 100\r\r"
              L"Please email screenshot of this message to support@kestrelon.com");
}

// A reporter that records the report texts a trap shows in `texts`.
Trap::Reporter RecordInto(std::vector<std::wstring>& texts) {
    return [&texts](const std::wstring& text) { texts.push_back(text); };
}

TEST(Trap, AFailingStepIsReportedOnceAndTheNextStepRuns) {
    std::vector<std::wstring> texts;
    Trap trap(L"Form_Load", RecordInto(texts));
    std::vector<int> ran;
    EXPECT_TRUE(trap.Step(100, [&] { ran.push_back(100); }));
    EXPECT_FALSE(trap.Step(104, [&] {
        ran.push_back(104);
        throw Failure(L"Access is denied.");
        ran.push_back(-1);  // never reached: the rest of a failed step is skipped
    }));
    EXPECT_TRUE(trap.Step(106, [&] { ran.push_back(106); }));
    EXPECT_EQ(ran, (std::vector<int>{100, 104, 106}));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], ErrorReportText(L"Access is denied.", L"Form_Load", 104));
}

TEST(Trap, TheThreeActionsOfOneLineEachRunAndEachReport) {
    std::vector<std::wstring> texts;
    Trap trap(L"Form_Load", RecordInto(texts));
    std::vector<int> ran;
    trap.Step(104, [&] { throw Failure(L"caption"); });
    trap.Step(104, [&] { ran.push_back(2); });
    trap.Step(104, [&] { throw Failure(L"title"); });
    trap.Step(106, [&] { ran.push_back(4); });
    EXPECT_EQ(ran, (std::vector<int>{2, 4}));
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], ErrorReportText(L"caption", L"Form_Load", 104));
    EXPECT_EQ(texts[1], ErrorReportText(L"title", L"Form_Load", 104));
}

TEST(Trap, AFailingTestGoesOnWithTheStepItGuards) {
    std::vector<std::wstring> texts;
    Trap trap(L"PushButton1_Click", RecordInto(texts));
    EXPECT_TRUE(trap.Test(106, []() -> bool { throw Failure(L"Path not found"); }));
    EXPECT_FALSE(trap.Test(130, [] { return false; }));
    EXPECT_TRUE(trap.Test(132, [] { return true; }));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], ErrorReportText(L"Path not found", L"PushButton1_Click", 106));
}

TEST(Trap, DescribesFailuresOfTheLanguageToo) {
    std::vector<std::wstring> texts;
    Trap trap(L"Form_QueryUnload", RecordInto(texts));
    trap.Step(100, [] { throw std::bad_alloc(); });
    trap.Step(100, [] { throw std::runtime_error("boom"); });
    trap.Step(100, [] { throw 42; });
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].substr(0, 15), L"Out of memory\r\n");
    EXPECT_EQ(texts[1].substr(0, 6), L"boom\r\n");
    EXPECT_EQ(texts[2].substr(0, 20), L"Unexpected failure\r\n");
}

TEST(Trap, AReporterThatFailsDoesNotStopTheProcedure) {
    Trap trap(L"Form_Load", [](const std::wstring&) { throw Failure(L"no box"); });
    int ran = 0;
    trap.Step(100, [] { throw Failure(L"x"); });
    trap.Step(102, [&] { ++ran; });
    EXPECT_EQ(ran, 1);
}

// The profiler times the procedures through the step hook: it hears every step and test once it is done, reported
// failures included, and nothing once it is taken away. The events in order: an action its line negated, a report 0,
// the hook its line.
std::vector<int> g_events;
TEST(Trap, TheStepHookHearsEveryStepAndTestOnceItIsDone) {
    auto act = [](int line, bool fails) {
        g_events.push_back(-line);
        if (fails) throw Failure(L"x");
        return false;
    };
    Trap::SetStepHook([](int line) { g_events.push_back(line); });
    Trap trap(L"Form_Load", [](const std::wstring&) { g_events.push_back(0); });
    trap.Step(100, [&] { act(100, false); });
    trap.Step(104, [&] { act(104, true); });
    trap.Test(106, [&] { return act(106, false); });
    trap.Test(108, [&] { return act(108, true); });
    Trap::SetStepHook(nullptr);
    trap.Step(110, [] {});
    EXPECT_EQ(g_events, (std::vector<int>{-100, 100, -104, 0, 104, -106, 106, -108, 0, 108}));
}

}  // namespace
}  // namespace inboxhop

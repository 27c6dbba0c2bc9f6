// The error trap of the main window's three actions: steps carry
// fixed line numbers, a failing step is reported in the error report box and
// the procedure goes on with the next step. Pure logic: the box itself is a
// callback, so the resume rules are unit-tested natively.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/failure.h"

namespace inboxhop {

inline constexpr std::wstring_view kBuildTag = L"Mailvane2021/08/31";
inline constexpr std::wstring_view kFormName = L"Form1";

// The text of the error report box for a failure in `procedure` at `line`.
std::wstring ErrorReportText(std::wstring_view description, std::wstring_view procedure, int line);

class Trap {
public:
    // Shows the report text to the user and returns when it was dismissed.
    using Reporter = std::function<void(const std::wstring& text)>;

    Trap(std::wstring_view procedure, Reporter reporter)
        : procedure_(procedure), reporter_(std::move(reporter)) {}

    // Runs one numbered step. A failure is reported under `line`; the caller
    // then goes on with the next step. Returns whether the step succeeded.
    bool Step(int line, const std::function<void()>& action);

    // Evaluates the condition of a numbered test. A failure is reported under
    // `line` and answers true: the procedure goes on with the step that the
    // test guards.
    bool Test(int line, const std::function<bool()>& condition);

    // Called with its number after every step and test of every trap, once
    // it is done: how the benchmark's profiler times the real procedures.
    // None unless set.
    using StepHook = void (*)(int line);
    static void SetStepHook(StepHook hook) { stepHook_ = hook; }

private:
    void Report(int line);

    static inline StepHook stepHook_ = nullptr;

    std::wstring procedure_;
    Reporter reporter_;
};

}  // namespace inboxhop

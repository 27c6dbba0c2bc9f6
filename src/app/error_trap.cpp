#include "app/error_trap.h"

#include "base/product.h"

namespace inboxhop {

std::wstring ErrorReportText(std::wstring_view description, std::wstring_view procedure, int line) {
    std::wstring text;
    text += description;
    text += L"\r\n";
    text += L"in ";
    text += kBuildTag;
    text += L'.';
    text += kFormName;
    text += L'.';
    text += procedure;
    text += L' ';
    text += L"at line ";
    text += DecimalText(line);
    text += L"\r\r";
    text += L"Please email screenshot of this message to ";
    text += kSupportAddress;
    return text;
}

void Trap::Report(int line) {
    std::wstring text = ErrorReportText(DescribeCurrentException(), procedure_, line);
    // A reporter that fails itself must not take the procedure down with it;
    // there is nowhere left to report that failure.
    try {
        if (reporter_) reporter_(text);
    } catch (...) {
    }
}

bool Trap::Step(int line, const std::function<void()>& action) {
    bool done = true;
    try {
        action();
    } catch (...) {
        Report(line);
        done = false;
    }
    if (stepHook_) stepHook_(line);
    return done;
}

bool Trap::Test(int line, const std::function<bool()>& condition) {
    bool met = true;
    try {
        met = condition();
    } catch (...) {
        Report(line);
    }
    if (stepHook_) stepHook_(line);
    return met;
}

}  // namespace inboxhop

#include "app/error_trap.h"

#include <new>

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
    text += std::to_wstring(line);
    text += L"\r\r";
    text += L"Please email screenshot of this message to ";
    text += kSupportAddress;
    return text;
}

std::wstring DescribeCurrentException() {
    try {
        throw;
    } catch (const Failure& f) {
        return f.description();
    } catch (const std::bad_alloc&) {
        return L"Out of memory";
    } catch (const std::exception& e) {
        std::wstring text;
        for (const char* p = e.what(); *p; ++p) text.push_back(static_cast<unsigned char>(*p));
        return text;
    } catch (...) {
        return L"Unexpected failure";
    }
}

void Trap::Report(int line) {
    ++failures_;
    std::wstring text = ErrorReportText(DescribeCurrentException(), procedure_, line);
    // A reporter that fails itself must not take the procedure down with it.
    try {
        if (reporter_) reporter_(text);
    } catch (...) {
    }
}

bool Trap::Step(int line, const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (...) {
        Report(line);
        return false;
    }
}

bool Trap::Test(int line, const std::function<bool()>& condition) {
    try {
        return condition();
    } catch (...) {
        Report(line);
        return true;
    }
}

}  // namespace inboxhop

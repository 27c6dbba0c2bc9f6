#include "base/failure.h"

#include <new>

namespace inboxhop {

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

std::wstring DecimalText(long long number) {
    // Work on the magnitude as unsigned, so that the smallest number has one.
    unsigned long long magnitude = number < 0 ? 0ULL - static_cast<unsigned long long>(number)
                                              : static_cast<unsigned long long>(number);
    wchar_t digits[24];
    wchar_t* end = digits + 24;
    wchar_t* p = end;
    do {
        *--p = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (number < 0) *--p = L'-';
    return std::wstring(p, end);
}

}  // namespace inboxhop

// The program's own throw points (src/base/library_throws.cpp, linked into these tests as into the program): each
// throws what the error trap reports, with the standard library's own text.
#include <bits/functexcept.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "base/failure.h"

namespace {

std::wstring Reported(const std::function<void()>& action) {
    try {
        action();
    } catch (...) {
        return inboxhop::DescribeCurrentException();
    }
    return L"(nothing thrown)";
}

TEST(LibraryThrows, EachReportsTheLibrarysText) {
    for (auto* withText : {std::__throw_logic_error, std::__throw_domain_error, std::__throw_invalid_argument,
                           std::__throw_length_error, std::__throw_out_of_range, std::__throw_runtime_error,
                           std::__throw_range_error, std::__throw_overflow_error, std::__throw_underflow_error}) {
        EXPECT_EQ(Reported([&] { withText("basic_string::_M_create"); }), L"basic_string::_M_create");
    }
    const struct { void (*thrower)(); const wchar_t* report; } plain[] = {{std::__throw_bad_alloc, L"Out of memory"},
                 {std::__throw_bad_array_new_length, L"Out of memory"},  // a std::bad_alloc
                 {std::__throw_bad_cast, L"std::bad_cast"},
                 {std::__throw_bad_typeid, L"std::bad_typeid"},
                 {std::__throw_bad_exception, L"std::bad_exception"}};
    for (const auto& p : plain) EXPECT_EQ(Reported(p.thrower), p.report);
    EXPECT_EQ(Reported([] {
                  std::__throw_out_of_range_fmt("%s: __pos (which is %zu) > this->size() (which is %zu), 100%%",
                                                "basic_string::substr", std::size_t{4294967295u}, std::size_t{0});
              }),
              L"basic_string::substr: __pos (which is 4294967295) > this->size() (which is 0), 100%");
    // As the library's own code calls it.
    EXPECT_EQ(Reported([] { (void)std::vector<int>(2).at(3); }),
              L"vector::_M_range_check: __n (which is 3) >= this->size() (which is 2)");
}

}  // namespace

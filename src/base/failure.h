// How operations fail: they throw a Failure carrying the system's own
// description; only the error trap (or a handler that reports) catches it.
#pragma once

#include <exception>
#include <string>

namespace inboxhop {

class Failure : public std::exception {
public:
    explicit Failure(std::wstring description) : description_(std::move(description)) {}
    const std::wstring& description() const { return description_; }
    const char* what() const noexcept override { return "inboxhop::Failure"; }

private:
    std::wstring description_;
};

// The description of whatever exception is in flight; call only from a catch
// block.
std::wstring DescribeCurrentException();

// A whole number in decimal. (The standard library's conversion would bring
// in the whole printf machinery, floating point included.)
std::wstring DecimalText(long long number);

}  // namespace inboxhop

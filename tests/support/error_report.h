// The error report box a failed start-up step shows, as tests expect it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "message_boxes.h"

namespace testing_support {

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

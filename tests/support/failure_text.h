// "Expect a failure with this text": the description of the Failure an action
// throws. Portable, for the native unit tests and the Windows tests alike.
#pragma once

#include <optional>
#include <string>

#include "base/failure.h"

namespace testing_support {

// The description of the Failure that `action` throws, nothing when it throws none: for EXPECT_EQ.
template <typename Action>
std::optional<std::wstring> FailureText(Action&& action) {
    try {
        action();
    } catch (const inboxhop::Failure& failure) {
        return failure.description();
    }
    return std::nullopt;
}

}  // namespace testing_support

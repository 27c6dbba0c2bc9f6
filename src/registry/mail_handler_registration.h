// Writing the mail handler's keys into the registry: the one place that runs
// a registration's steps (registry/mail_handler_keys.h). Implemented by the
// Windows layer (mail_handler_registration_win.cpp).
#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "registry/mail_handler_keys.h"

namespace inboxhop {

// Runs every step in order, whatever the steps before achieved, each through
// `run` (the press runs it under its trap), and answers what the registry
// refused. A step whose key already holds exactly what it would write counts
// as done even when the registry refuses it; a step that throws counts as
// refused.
using StepRunner = std::function<void(const HandlerStep& step, const std::function<void()>& work)>;
RegistrationOutcome ApplyMailHandlerSteps(std::span<const HandlerStep> steps, std::wstring_view programFolder,
                                          const StepRunner& run);

}  // namespace inboxhop

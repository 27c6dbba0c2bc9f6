// Applies a registration, a table of steps, to the registry: the one place
// that writes the mail handler's keys.
#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "registry/mail_handler_keys.h"

namespace inboxhop {

// Runs one step and answers the registry's status. A step whose key is
// already there, holding exactly what the step would write (as after an
// administrator registered the same folder), counts as done even when the
// registry refuses it.
long ApplyMailHandlerStep(const HandlerStep& step, std::wstring_view programFolder);

// Hands each step's work to the caller, which runs it (the press runs it
// under its error trap, numbered by the step). The work may throw; the
// caller decides what follows.
using StepRunner = std::function<void(const HandlerStep& step, const std::function<void()>& work)>;

// Runs every step in order, whatever the steps before it achieved, and
// answers what the registry refused, so that the end tells the truth. A step
// that throws counts as refused, with the failure as its reason.
RegistrationOutcome ApplyMailHandlerSteps(std::span<const HandlerStep> steps, std::wstring_view programFolder,
                                          const StepRunner& run);

}  // namespace inboxhop

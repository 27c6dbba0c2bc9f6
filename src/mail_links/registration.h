// Writing the mail handler's keys into the registry: the one place that runs
// a registration's steps (mail_links/registration_steps.h) and decides whose
// registration it is. Implemented by the Windows layer
// (registration_win.cpp).
#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "mail_links/registration_steps.h"

namespace inboxhop {

// Runs every step in order, whatever the steps before achieved, each through
// `run` (the press runs it under its trap), and answers what the registry
// refused. A step whose key already holds exactly what it would write counts
// as done even when the registry refuses it; a step that throws counts as
// refused.
using StepRunner = std::function<void(const HandlerStep& step, const std::function<void()>& work)>;
RegistrationOutcome ApplyMailHandlerSteps(std::span<const HandlerStep> steps, std::wstring_view programFolder,
                                          const StepRunner& run);

// Whose mail handler Inboxhop became: every user's of the machine, only the
// current user's, or nobody's.
enum class RegisteredFor { Nobody, Machine, CurrentUser };
struct MailHandlerRegistration {
    RegisteredFor registeredFor = RegisteredFor::Nobody;
    // Every key the registry refused, machine-wide and then for the user,
    // with the system's reason.
    RegistrationOutcome outcome;
};

// Registers Inboxhop as the mail handler: machine-wide first and, when the
// machine refused for want of rights, the same registration for the current
// user alone (Windows reads a user's own classes, clients and registered
// applications beside the machine's). Every step runs through `run`.
MailHandlerRegistration RegisterMailHandler(std::wstring_view programFolder, const StepRunner& run);

}  // namespace inboxhop

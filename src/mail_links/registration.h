// Writing the mail handler's keys into the registry: the one place that runs
// a registration's steps (mail_links/registration_steps.h) and decides whose
// registration it is. Each registration is a transaction: the record of the
// command it replaces is written first, every change is journaled, and when
// any key is refused everything it wrote is put back exactly as it was.
// Implemented by the Windows layer (registration_win.cpp); the press and the
// installers' DLL use it.
#pragma once

#include <windows.h>

#include <functional>
#include <span>
#include <string_view>

#include "mail_links/registration_steps.h"

namespace inboxhop {

class RegistryJournal;

// Runs a step's work; the press runs it under its trap, with the step's
// number.
using StepRunner = std::function<void(const HandlerStep& step, const std::function<void()>& work)>;

struct AppliedRegistration {
    // Every key the registry refused, with the system's reason.
    RegistrationOutcome outcome;
    // When a key was refused: whether everything the attempt wrote went back.
    bool putBack = true;
};

// What an installer adds to a registration. The steps that would only write
// into a key that is not there (the system's mailto class) are left out
// instead of refused; and `beforeSteps` runs with the record (the notes on
// the user's mailto class, for the installer's removal).
struct InstallerAdditions {
    LONG (*beforeSteps)(RegistryJournal& journal) = nullptr;
};

// Applies one registration (all its steps share one root) as a transaction.
// First, through `run` under the first step's number, the record of the
// mailto command it replaces (and an installer's additions): when they
// cannot be written, nothing else is.
// Then every step in order, whatever the steps before achieved, so that the
// outcome names every refused key: a step whose key already holds exactly
// what it would write counts as done even when the registry refuses it; a
// step that throws counts as refused. When anything was refused, every
// change the attempt made is put back.
AppliedRegistration ApplyRegistration(std::span<const HandlerStep> steps, std::wstring_view programFolder,
                                      const StepRunner& run, const InstallerAdditions* installer = nullptr);

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
// machine refused for want of rights and was put back as it was, the same
// registration for the current user alone (Windows reads a user's own
// classes, clients and registered applications beside the machine's).
MailHandlerRegistration RegisterMailHandler(std::wstring_view programFolder, const StepRunner& run);

}  // namespace inboxhop

// The numbered steps of the main window's trapped procedures, in one table:
// the error report box names a failing step by its number, so each step
// keeps its own. Pure data.
#pragma once

#include <span>
#include <string_view>

#include "base/services.h"
#include "registry/mail_handler_keys.h"

namespace inboxhop {

// Form_Load: the start-up sequence, then the hand-off of a mail link.
namespace load_step {
inline constexpr int kSkin = 100;
inline constexpr int kCaptionIconAndTitle = 104;
inline constexpr int kTestPointerFile = 106;
inline constexpr int kLoadPointerFile = 108;
inline constexpr int kVisitHomePage = 110;
inline constexpr int kReadChoice = 128;
inline constexpr int kTestChoice = 130;
inline constexpr int kReadCommandLine = 148;
inline constexpr int kTestCommandLine = 150;
inline constexpr int kCleanLink = 152;
// Line 170, the end of the program, follows the hand-off.
}  // namespace load_step

// Each service's steps, in the order of the services: at start-up, the test
// of the stored choice and the selection of its button; in the hand-off, the
// test of the choice and the building and opening of its compose address.
struct ServiceSteps {
    int loadTest;
    int loadSelect;
    int handOffTest;
    int handOffOpen;
};
inline constexpr ServiceSteps kServiceSteps[kServiceCount] = {
    {132, 134, 154, 156},
    {136, 138, 158, 160},
    {140, 142, 162, 164},
    {144, 146, 166, 168},
};

// PushButton1_Click. Its registry steps, 104 to 130, are the rows of
// MachineRegistrationSteps().
namespace press_step {
inline constexpr int kCheckService = 100;
inline constexpr int kNoService = 102;
inline constexpr int kAnnounce = 132;  // tells the shell that associations changed
inline constexpr int kDetect = 134;    // asks who opens this user's mail links
inline constexpr int kResult = 138;
}  // namespace press_step

// Form_QueryUnload.
inline constexpr int kUnloadStep = 100;

// The press's machine-wide registration, in the order its steps run. Each
// create names its key with a trailing backslash and the write after it
// names the same key without one.
std::span<const HandlerStep> MachineRegistrationSteps();

inline constexpr std::wstring_view kNoServiceMessage = L"You must select a least one default email.";
inline constexpr std::wstring_view kDoneMessage = L"Done.";

}  // namespace inboxhop

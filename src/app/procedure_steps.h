// The numbered steps of the main window's actions, in one table:
// the error report box names a failing step by its number, so each step
// keeps its own. Pure data.
#pragma once

#include <string_view>

#include "base/services.h"
#include "mail_links/registration_steps.h"

namespace inboxhop {

// The start-up (ProgramActions::StartUp), then the hand-off of a mail link (line
// 170, the end of the program, follows it).
enum StartUpStep : int {
    kSkin = 100, kCaptionIconAndTitle = 104, kTestPointerFile = 106, kLoadPointerFile = 108, kVisitHomePage = 110,
    kReadChoice = 128, kTestChoice = 130, kReadCommandLine = 148, kTestCommandLine = 150, kCleanLink = 152,
};

// Each service's steps, in the order of the services: at start-up, the test
// of the stored choice and the selection of its button; in the hand-off, the
// test of the choice and the building and opening of its compose address.
struct ServiceSteps {
    int startUpTest, startUpSelect, handOffTest, handOffOpen;
};
inline constexpr ServiceSteps kServiceSteps[kServiceCount] = {
    {132, 134, 154, 156}, {136, 138, 158, 160}, {140, 142, 162, 164}, {144, 146, 166, 168}};

// Setting Inboxhop up for mail links (SetUpMailLinks); its registry steps, 104 to 130, are the rows of the
// registration's one table (mail_links/registration_table.inc), which the
// installers' includes are generated from. Then the close's
// one step (BeforeClose).
enum PressStep : int { kCheckService = 100, kNoService = 102, kAnnounce = 132, kDetect = 134, kResult = 138 };
inline constexpr int kCloseStep = 100;

inline constexpr std::wstring_view kNoServiceMessage = L"You must select a least one default email.";
inline constexpr std::wstring_view kDoneMessage = L"Done.";
inline constexpr std::wstring_view kCurrentUserDoneMessage =
    L"Done. Inboxhop is set up for this user account only; setting it up for every user of this computer needs "
    L"administrator rights.";

}  // namespace inboxhop

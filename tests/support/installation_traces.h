// What the installer tests share: the keys an installation writes, running
// an installer to its end, pressing the installed program's button, and
// finding every key and value that still names the installation.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "message_boxes.h"
#include "registry_tree.h"

namespace testing_support {

inline constexpr DWORD kWaitMs = 60000;
inline const std::wstring kUninstallKeys = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline const std::wstring kUninstallKey = kUninstallKeys + L"\\Inboxhop";
inline const std::wstring kMailtoClassKey = L"SOFTWARE\\Classes\\mailto";
inline const std::wstring kMailtoCommandKey = kMailtoClassKey + L"\\shell\\open\\command";
inline const std::wstring kClientsKey = L"SOFTWARE\\Clients";
inline const std::wstring kClientKey = kClientsKey + L"\\Mail\\Inboxhop";
inline const std::wstring kCapabilities = kClientKey + L"\\Capabilities";
inline const std::wstring kProgIdKey = L"SOFTWARE\\Classes\\Inboxhop.mailto";
inline const std::wstring kRegisteredApps = L"SOFTWARE\\RegisteredApplications";
inline const std::wstring kVendorKey = L"SOFTWARE\\Kestrelon";

// A folder of the system's, by its CSIDL number.
std::wstring SystemFolder(int csidl);
std::wstring Lower(std::wstring text);

// Inboxhop's own registration for every user: the client, the ProgID and the
// registered application.
struct Registration {
    std::optional<KeyTree> client, progId;
    std::optional<RawValue> application;
    bool operator==(const Registration&) const = default;
};
Registration ReadRegistration();
bool RemoveRegistration();
// The machine's uninstall entries named Inboxhop, by their key names.
std::map<std::wstring, KeyTree> UninstallEntries();

// Runs `"<program>"<arguments>` and waits until it and all it started have
// ended (an uninstaller hands over to a copy of itself and returns at once):
// its exit code, nothing on time-out. With `boxes`, its message boxes are
// answered with OK and kept there.
std::optional<DWORD> RunToEnd(const std::wstring& program, const std::wstring& arguments,
                              std::vector<SeenBox>* boxes = nullptr);

// Starts the installed program, presses its push button and answers the
// box it ends with: the box's text, or "no window" or "no box".
std::wstring PressInstalledProgram(const std::wstring& program);

// Every key name and value of the machine's and the user's software keys
// that mentions one of `texts` (case ignored); unreadable keys are passed over.
std::vector<std::wstring> Mentions(const std::vector<std::wstring>& texts);

}  // namespace testing_support

// What the installer tests share: the keys an installation writes, running an installer to its end,
// pressing the installed program's button, and finding every key and value that still names it.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "message_boxes.h"
#include "program_run.h"
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
inline std::wstring SystemFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return path;
}
inline std::wstring Lower(std::wstring text) {
    CharLowerW(text.data());
    return text;
}

// Inboxhop's own registration for every user: the client, the ProgID and the
// registered application.
struct Registration {
    std::optional<KeyTree> client, progId;
    std::optional<RawValue> application;
    bool operator==(const Registration&) const = default;
};
inline Registration ReadRegistration() {
    return {ReadTree(HKEY_LOCAL_MACHINE, kClientKey), ReadTree(HKEY_LOCAL_MACHINE, kProgIdKey),
            ReadRaw(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop")};
}
inline bool RemoveRegistration() {
    return DeleteTree(HKEY_LOCAL_MACHINE, kClientKey) && DeleteTree(HKEY_LOCAL_MACHINE, kProgIdKey) &&
           DeleteValue(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop");
}
// The machine's uninstall entries named Inboxhop, by their key names.
inline std::map<std::wstring, KeyTree> UninstallEntries() {
    std::map<std::wstring, KeyTree> entries = ReadTree(HKEY_LOCAL_MACHINE, kUninstallKeys).value_or(KeyTree{}).subkeys;
    std::erase_if(entries, [](const auto& entry) {
        auto name = entry.second.values.find(L"DisplayName");
        return name == entry.second.values.end() || name->second != TextValue(L"Inboxhop");
    });
    return entries;
}

// Runs `"<program>"<arguments>` and waits until it and all it started have ended (an uninstaller
// hands over to a copy of itself and returns at once): its exit code, nothing on time-out. With
// `boxes`, its message boxes are answered with OK and kept there.
inline std::optional<DWORD> RunToEnd(const std::wstring& program, const std::wstring& arguments,
                                     std::vector<SeenBox>* boxes = nullptr) {
    StartedProcess process(program, L"\"" + program + L"\"" + arguments);
    WindowWatcher watcher(process.pid());
    auto code = boxes ? process.WaitForExit(kWaitMs, [&] { watcher.Tick(); }) : process.WaitForExit(kWaitMs);
    if (boxes) *boxes = watcher.boxes();
    return process.WaitForJobToEmpty(kWaitMs) ? code : std::nullopt;
}

// Starts the installed program, presses its push button and answers the
// box it ends with: the box's text, or "no window" or "no box".
inline std::wstring PressInstalledProgram(const std::wstring& program) {
    ShownProgram shown(program, L"", kWaitMs);
    if (!shown.window()) return L"no window";
    HWND box = shown.Press(kWaitMs);
    std::wstring text = box ? AnswerBox(box, kWaitMs).text : L"no box";
    shown.Close(kWaitMs);
    return text;
}

// Every key name and value at or below `path` that mentions `text` (in lower
// case), added to `found`; unreadable keys are passed over.
inline void FindMentions(HKEY root, const std::wstring& path, const std::wstring& text,
                         std::vector<std::wstring>& found) {
    inboxhop::ScopedRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    wchar_t name[16384];
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD length = std::size(name), size = static_cast<DWORD>(data.size()), type = 0;
        LONG status = RegEnumValueW(key.get(), i, name, &length, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) continue;  // nothing of ours is that long
        if (status != ERROR_SUCCESS) break;
        std::wstring value = std::wstring(name, length) + L"=" +
                             std::wstring(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        if (Lower(value).find(text) != std::wstring::npos) found.push_back(path + L" " + value);
    }
    DWORD length = std::size(name);
    for (DWORD i = 0; RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = std::size(name)) {
        const std::wstring sub(name, length);
        if (Lower(sub).find(text) != std::wstring::npos) found.push_back(path + L"\\" + sub);
        FindMentions(root, path + L"\\" + sub, text, found);
    }
}

// Every key name and value of the machine's and the user's software keys
// that mentions one of `texts` (case ignored).
inline std::vector<std::wstring> Mentions(const std::vector<std::wstring>& texts) {
    std::vector<std::wstring> found;
    for (const std::wstring& text : texts) {
        FindMentions(HKEY_LOCAL_MACHINE, L"SOFTWARE", Lower(text), found);
        FindMentions(HKEY_CURRENT_USER, L"Software", Lower(text), found);
    }
    return found;
}

}  // namespace testing_support

#include "installation_traces.h"

#include <shlobj.h>

#include "base/scoped_win.h"
#include "program_run.h"

namespace testing_support {

namespace {

void FindMentions(HKEY root, const std::wstring& path, const std::wstring& text, std::vector<std::wstring>& found) {
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

}  // namespace

std::wstring SystemFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return path;
}

std::wstring Lower(std::wstring text) {
    CharLowerW(text.data());
    return text;
}

Registration ReadRegistration() {
    return {ReadTree(HKEY_LOCAL_MACHINE, kClientKey), ReadTree(HKEY_LOCAL_MACHINE, kProgIdKey),
            ReadRaw(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop")};
}

bool RemoveRegistration() {
    return DeleteTree(HKEY_LOCAL_MACHINE, kClientKey) && DeleteTree(HKEY_LOCAL_MACHINE, kProgIdKey) &&
           DeleteValue(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop");
}

std::map<std::wstring, KeyTree> UninstallEntries() {
    std::map<std::wstring, KeyTree> entries = ReadTree(HKEY_LOCAL_MACHINE, kUninstallKeys).value_or(KeyTree{}).subkeys;
    std::erase_if(entries, [](const auto& entry) {
        auto name = entry.second.values.find(L"DisplayName");
        return name == entry.second.values.end() || name->second != TextValue(L"Inboxhop");
    });
    return entries;
}

std::optional<DWORD> RunToEnd(const std::wstring& program, const std::wstring& arguments,
                              std::vector<SeenBox>* boxes) {
    StartedProcess process(program, L"\"" + program + L"\"" + arguments);
    WindowWatcher watcher(process.pid());
    auto code = boxes ? process.WaitForExit(kWaitMs, [&] { watcher.Tick(); }) : process.WaitForExit(kWaitMs);
    if (boxes) *boxes = watcher.boxes();
    return process.WaitForJobToEmpty(kWaitMs) ? code : std::nullopt;
}

std::wstring PressInstalledProgram(const std::wstring& program) {
    ShownProgram shown(program, L"", kWaitMs);
    if (!shown.window()) return L"no window";
    HWND box = shown.Press(kWaitMs);
    std::wstring text = box ? AnswerBox(box, kWaitMs).text : L"no box";
    shown.Close(kWaitMs);
    return text;
}

std::vector<std::wstring> Mentions(const std::vector<std::wstring>& texts) {
    std::vector<std::wstring> found;
    for (const std::wstring& text : texts) {
        FindMentions(HKEY_LOCAL_MACHINE, L"SOFTWARE", Lower(text), found);
        FindMentions(HKEY_CURRENT_USER, L"Software", Lower(text), found);
    }
    return found;
}

}  // namespace testing_support

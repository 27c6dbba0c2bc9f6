#include "installation_traces.h"

#include <shlobj.h>

#include "base/scoped_win.h"

namespace testing_support {

namespace {

const std::wstring kClient = L"SOFTWARE\\Clients\\Mail\\Inboxhop";
const std::wstring kProgId = L"SOFTWARE\\Classes\\Inboxhop.mailto";
const std::wstring kApps = L"SOFTWARE\\RegisteredApplications";

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
    return {ReadTree(HKEY_LOCAL_MACHINE, kClient), ReadTree(HKEY_LOCAL_MACHINE, kProgId),
            ReadRaw(HKEY_LOCAL_MACHINE, kApps, L"Inboxhop")};
}

bool RemoveRegistration() {
    return DeleteTree(HKEY_LOCAL_MACHINE, kClient) && DeleteTree(HKEY_LOCAL_MACHINE, kProgId) &&
           DeleteValue(HKEY_LOCAL_MACHINE, kApps, L"Inboxhop");
}

void FindMentions(HKEY root, const std::wstring& path, const std::wstring& text, std::vector<std::wstring>& found) {
    inboxhop::ScopedRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    std::vector<std::wstring> subkeys;
    wchar_t name[16384];
    DWORD length = std::size(name);
    for (DWORD i = 0; RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = std::size(name)) {
        subkeys.emplace_back(name, length);
    }
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD size = static_cast<DWORD>(data.size()), type = 0;
        length = std::size(name);
        LONG status = RegEnumValueW(key.get(), i, name, &length, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) continue;  // nothing of ours is that long
        if (status != ERROR_SUCCESS) break;
        std::wstring value = std::wstring(name, length) + L"=" +
                             std::wstring(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        if (Lower(value).find(text) != std::wstring::npos) found.push_back(path + L" " + value);
    }
    key.reset();
    for (const std::wstring& sub : subkeys) {
        if (Lower(sub).find(text) != std::wstring::npos) found.push_back(path + L"\\" + sub);
        FindMentions(root, path + L"\\" + sub, text, found);
    }
}

}  // namespace testing_support

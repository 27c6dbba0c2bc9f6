#include "base/registry_text_win.h"

namespace inboxhop {

LONG ReadRegistryText(HKEY key, std::wstring_view name, std::wstring& text, DWORD& type) {
    std::wstring valueName(name);
    text.clear();
    type = REG_NONE;
    DWORD bytes = 0;
    LONG status = RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &bytes);
    // The value can change between the size query and the read: try again
    // with the new size while it grows.
    while (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        text.resize(bytes / sizeof(wchar_t) + 1);
        DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        status = RegQueryValueExW(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &got);
        if (status == ERROR_MORE_DATA) {
            bytes = got;
            status = ERROR_SUCCESS;
            continue;
        }
        text.resize(status == ERROR_SUCCESS ? got / sizeof(wchar_t) : 0);
        break;
    }
    if (size_t nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
    return status;
}

}  // namespace inboxhop

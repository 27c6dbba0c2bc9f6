#include "ui/appearance.h"

#include <windows.h>

#include "base/product.h"
#include "base/system_error.h"
#include "ui/app_title.h"

namespace inboxhop {

namespace {

std::wstring& ApplicationTitleStorage() {
    static std::wstring title(kProductTitle);
    return title;
}

}  // namespace

const std::wstring& ApplicationTitle() { return ApplicationTitleStorage(); }

void SetApplicationTitle() { ApplicationTitleStorage() = ShortenApplicationTitle(kProductTitle); }

void SetWindowIcons(HWND window, HMODULE module, int id) {
    auto load = [&](int sizeMetric) {
        SetLastError(ERROR_SUCCESS);
        int size = GetSystemMetrics(sizeMetric);
        // Shared: the system keeps the icon for as long as the module lives.
        HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_SHARED);
        if (!icon) {
            DWORD error = GetLastError();
            ThrowSystemError(error != ERROR_SUCCESS ? error : ERROR_RESOURCE_NAME_NOT_FOUND);
        }
        return reinterpret_cast<LPARAM>(icon);
    };
    LPARAM big = load(SM_CXICON);
    LPARAM smallIcon = load(SM_CXSMICON);
    // The small icon first: a window given only a big icon makes itself a
    // scaled copy for the small one, which the small icon then replaces.
    SendMessageW(window, WM_SETICON, ICON_SMALL, smallIcon);
    SendMessageW(window, WM_SETICON, ICON_BIG, big);
}

bool PathExists(std::wstring_view path) {
    try {
        std::wstring text(path);
        // A NUL would end the path early and test another one.
        if (text.empty() || text.find(L'\0') != std::wstring::npos) return false;
        WIN32_FILE_ATTRIBUTE_DATA data;
        return GetFileAttributesExW(text.c_str(), GetFileExInfoStandard, &data) != FALSE;
    } catch (...) {
        // Out of memory for the copy: a path that cannot be tested counts as
        // absent, as the caller asks of it.
        return false;
    }
}

}  // namespace inboxhop

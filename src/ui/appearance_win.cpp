#include "ui/appearance.h"

#include <windows.h>

#include "base/failure.h"
#include "base/product.h"
#include "base/program_folder.h"
#include "base/scoped.h"
#include "base/system_error.h"
#include "ui/app_title.h"
#include "ui/inboxhop_window.h"
#include "ui/skin_framework.h"

namespace inboxhop {

namespace {

std::wstring& ApplicationTitleStorage() {
    static std::wstring title(kProductTitle);
    return title;
}

// The main window's skin component. It lives as long as the process, like
// the skin it applies.
SkinFramework& TheSkin() {
    static SkinFramework component;
    return component;
}

// A directory match for normal files: true when `path` names a file that is
// neither a folder nor hidden nor a system file. Any failure of the search
// counts as no match.
bool MatchesNormalFile(const std::wstring& path) {
    if (path.find(L'\0') != std::wstring::npos) return false;
    WIN32_FIND_DATAW data;
    ScopedFind find(FindFirstFileW(path.c_str(), &data));
    if (!find) return false;
    constexpr DWORD kNotNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    bool found = false;
    do {
        found = (data.dwFileAttributes & kNotNormal) == 0;
    } while (!found && FindNextFileW(find.get(), &data));
    return found;
}

}  // namespace

const std::wstring& ApplicationTitle() { return ApplicationTitleStorage(); }

void SetApplicationTitle() { ApplicationTitleStorage() = ShortenApplicationTitle(kProductTitle); }

// The skin file beside the program, when there is one: a normal file (not a
// folder, not hidden, not a system file) named x\o.cjs in the program
// folder. What was done before a failure stays.
void InboxhopWindow::ApplySkin() {
    const std::wstring path = ProgramFolder() + std::wstring(kSkinFile);
    if (!MatchesNormalFile(path)) return;

    // The window, the frame and the service buttons take the button-face
    // colour first (the text box and the push button keep theirs), following
    // the system's if it changes; the skin then paints over that as it says.
    SetBackColors(kButtonFaceColor);

    // The skin component's five steps; the first failure ends the routine.
    SkinFramework& skin = TheSkin();
    skin.LoadSkin(path, L"");
    skin.SetOptions(skin.Options() | SkinFramework::kSkinControls);
    skin.SetApplyFonts(true);
    skin.SetApplyCaption(true);
    skin.ApplyWindow(hwnd_);
}

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

void InboxhopWindow::LoadPointerFile(std::wstring_view path) {
    std::wstring text(path);
    if (text.find(L'\0') != std::wstring::npos) ThrowSystemError(ERROR_INVALID_NAME);
    SetLastError(ERROR_SUCCESS);
    HANDLE cursor = LoadImageW(nullptr, text.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE);
    if (!cursor) {
        DWORD code = GetLastError();
        if (code == ERROR_SUCCESS) throw Failure(L"Invalid picture");
        ThrowSystemError(code);
    }
    customPointer_ = ScopedCursor(static_cast<HCURSOR>(cursor));
}

}  // namespace inboxhop

#include "ui/appearance.h"

#include <windows.h>

#include "app/error_trap.h"
#include "app/program_folder.h"
#include "app/system_error.h"
#include "ui/app_title.h"
#include "ui/form1.h"

namespace inboxhop {

namespace {

std::wstring& ApplicationTitleStorage() {
    static std::wstring title(kProductTitle);
    return title;
}

}  // namespace

const std::wstring& ApplicationTitle() { return ApplicationTitleStorage(); }

void SetApplicationTitle() { ApplicationTitleStorage() = ShortenApplicationTitle(kProductTitle); }

void ApplySkin(Form1&) {
    // The skin arrives with the appearance work; without a skin file the
    // window keeps its plain look.
}

void SetProgramIcon(Form1&) {}

bool PathExists(std::wstring_view path) {
    std::wstring text(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(text.c_str(), GetFileExInfoStandard, &data) != FALSE;
}

void LoadPointerFile(Form1& form, std::wstring_view path) {
    std::wstring text(path);
    HANDLE cursor = LoadImageW(nullptr, text.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE);
    if (!cursor) {
        DWORD code = GetLastError();
        if (code == ERROR_SUCCESS) throw Failure(L"Invalid picture");
        ThrowSystemError(code);
    }
    form.SetCustomPointer(static_cast<HCURSOR>(cursor));
}

}  // namespace inboxhop

#include "base/shell_open.h"

#include <shellapi.h>

#include <string>

namespace inboxhop {

bool ShellOpen(std::wstring_view file, int show, HWND owner, const wchar_t* directory) {
    std::wstring path(file);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpFile = path.c_str();
    info.lpDirectory = directory;
    info.nShow = show;
    return ShellExecuteExW(&info) != FALSE;
}

}  // namespace inboxhop

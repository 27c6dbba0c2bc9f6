#include "base/shell_open.h"

#include <shellapi.h>

#include <string>

namespace inboxhop {

namespace {

// The system error code for one of the shell's own failure codes, for a
// shell that reports a failure only there. Below 26 the shell's codes are
// the system's (SE_ERR_FNF is ERROR_FILE_NOT_FOUND, ...).
DWORD ErrorOfShellCode(INT_PTR code) {
    switch (code) {
    case 0: return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY: return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND: return ERROR_DLL_NOT_FOUND;
    default: return static_cast<DWORD>(code);
    }
}

}  // namespace

bool ShellOpen(std::wstring_view file, int show, HWND owner, const wchar_t* directory) {
    std::wstring path(file);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpFile = path.c_str();
    info.lpDirectory = directory;
    info.nShow = show;
    SetLastError(ERROR_SUCCESS);
    if (ShellExecuteExW(&info)) return true;
    // The shell's own code names a missing association for what it is; the
    // last error may then be a leftover of its search (Wine leaves "Invalid
    // name"). Otherwise the last error is the more precise, when there is one.
    const INT_PTR code = reinterpret_cast<INT_PTR>(info.hInstApp);
    const DWORD error = GetLastError();
    const bool noAssociation = code == SE_ERR_NOASSOC || code == SE_ERR_ASSOCINCOMPLETE;
    SetLastError(error != ERROR_SUCCESS && !noAssociation ? error : ErrorOfShellCode(code));
    return false;
}

}  // namespace inboxhop

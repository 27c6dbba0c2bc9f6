#include "app/handoff.h"

#include <shellapi.h>

#include <string>

#include "base/com_win.h"

namespace inboxhop {

void OpenComposeLink(HWND owner, std::wstring_view link) {
    std::wstring file(link);
    // The shell may hand the link to extensions that need COM. Without COM it
    // can still open a plain address, so the call goes ahead either way.
    EnsureComInitialized();
    // Wide entry point: the link reaches the shell without loss, whatever
    // the ANSI code page can represent. The program ends as soon as this
    // returns, so the shell must finish handing the link over first (an
    // association served through DDE or a background thread would otherwise
    // be cut off). The shell must show no message of its own either: a
    // hand-off runs unseen, and a box nobody expects would hold the program.
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpFile = file.c_str();
    info.lpDirectory = L"C:\\";
    info.nShow = SW_SHOW;
    ShellExecuteExW(&info);
}

}  // namespace inboxhop

#include "app/handoff.h"

#include "base/com.h"
#include "base/shell_open.h"
#include "base/system_error.h"

namespace inboxhop {

void OpenComposeLink(HWND owner, std::wstring_view link) {
    // The shell may hand the link to extensions that need COM. Without COM it
    // can still open a plain address, so the call goes ahead either way.
    EnsureComInitialized();
    // The shell's own box would hold the program's hidden window on the
    // screen (ShellOpen waits for the shell and keeps its messages back), so
    // ShellOpen shows none; the error trap's box tells instead.
    if (!ShellOpen(link, SW_SHOW, owner, L"C:\\")) ThrowSystemError(GetLastError());
}

}  // namespace inboxhop

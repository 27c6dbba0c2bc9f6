#include "app/handoff.h"

#include "base/com.h"
#include "base/shell_open.h"

namespace inboxhop {

void OpenComposeLink(HWND owner, std::wstring_view link) {
    // The shell may hand the link to extensions that need COM. Without COM it
    // can still open a plain address, so the call goes ahead either way.
    EnsureComInitialized();
    // The program ends as soon as this returns; a hand-off runs unseen, and a
    // box nobody expects would hold the program (ShellOpen waits for the
    // shell and keeps its messages back).
    ShellOpen(link, SW_SHOW, owner, L"C:\\");
}

}  // namespace inboxhop

#include "app/com_win.h"

#include <windows.h>
#include <objbase.h>

namespace inboxhop {

void EnsureComInitialized() {
    static bool initialized = false;
    if (initialized) return;
    initialized = true;
    // Apartment-threaded, as the shell and window code expect; no OLE1 DDE.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

}  // namespace inboxhop

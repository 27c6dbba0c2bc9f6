#include "base/com.h"

#include <windows.h>
#include <objbase.h>

namespace inboxhop {

bool EnsureComInitialized() {
    static bool initialized = false;
    if (initialized) return true;
    // Apartment-threaded, as the shell and window code expect; no OLE1 DDE.
    // S_FALSE means COM was already started on this thread, which is as good.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // RPC_E_CHANGED_MODE: someone started COM in another mode first; it is
    // usable all the same.
    initialized = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
    return initialized;
}

}  // namespace inboxhop

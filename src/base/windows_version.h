// Which Windows this is, as it really is.
#pragma once

namespace inboxhop {

struct WindowsVersion {
    unsigned long major = 0;
    unsigned long build = 0;
};

// The system's own version numbers. (GetVersionEx answers an older version
// to programs whose manifest does not name the newer one.)
WindowsVersion RealWindowsVersion();

// Whether this 32-bit program runs on 64-bit Windows, where the registry
// shows it a view of its own for some keys.
bool RunsUnderWow64();

}  // namespace inboxhop

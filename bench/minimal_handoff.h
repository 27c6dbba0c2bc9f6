// The least a start-per-link mail handler does, in two steps: COM first, as
// the shell asks of every caller (it may hand the address to extensions that
// use COM), then one fixed compose address handed to the shell, which is
// asked to finish handing it over before the call returns, since the
// process ends right after it. MinimalHandler.exe does this, and
// ProfileHandOff.exe in its minimal mode.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

inline void StartCom() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE); }

inline void OpenComposeAddress() {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC;
    info.lpFile = L"\"https://mail.google.com/mail/?view=cm&tf=0&to=someone@example.com&su=&fs=1\"";
    info.lpDirectory = L"C:\\";
    info.nShow = SW_SHOW;
    ShellExecuteExW(&info);
}

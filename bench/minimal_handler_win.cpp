// The least a start-per-link mail handler does: start, hand one fixed
// compose address to the shell, end. COM is initialised first, as the shell
// asks of every caller (it may hand the address to extensions that use COM),
// and the shell is asked to finish handing the address over before the call
// returns, since the process ends right after it.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC;
    info.lpFile = L"\"https://mail.google.com/mail/?view=cm&tf=0&to=someone@example.com&su=&fs=1\"";
    info.lpDirectory = L"C:\\";
    info.nShow = SW_SHOW;
    ShellExecuteExW(&info);
    return 0;
}

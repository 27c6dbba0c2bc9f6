// A 64-bit program that opens its one argument through the shell, as any 64-bit application opens a mail link.
// Exit code 0 when the shell took it.
#include <windows.h>
#include <shellapi.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    HINSTANCE result = ShellExecuteW(nullptr, L"open", argv[1], nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32 ? 0 : 1;
}

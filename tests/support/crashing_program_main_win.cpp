// CrashingProgram.exe: ends at once with the exit code of a program that crashed on an access violation, for the
// tests of what runs another program and reads how it ended.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { ExitProcess(static_cast<UINT>(EXCEPTION_ACCESS_VIOLATION)); }

// The least a start-per-link mail handler does: start, hand one fixed
// compose address to the shell, end.
#include "minimal_handoff.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    StartCom();
    OpenComposeAddress();
    return 0;
}

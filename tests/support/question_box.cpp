#include "question_box.h"

namespace testing_support {

bool ShowsButton(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    return button != nullptr && IsWindowVisible(button);
}

void PressButton(HWND box, int id) {
    // The box ends with the identifier of the command it receives: posting
    // it is what a click on that button sends.
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

}  // namespace testing_support

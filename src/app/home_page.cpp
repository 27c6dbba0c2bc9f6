#include "app/home_page.h"

namespace inboxhop {

int HomePageDraw(double uniform) {
    int draw = static_cast<int>(100.0 * uniform) + 1;
    // Keep the number in range even for a draw that rounds up to 1.0.
    if (draw < 1) draw = 1;
    if (draw > 100) draw = 100;
    return draw;
}

std::wstring HomePageCommand() {
    std::wstring command = L"explorer \"";
    command += kHomePage;
    command += L'"';
    return command;
}

}  // namespace inboxhop

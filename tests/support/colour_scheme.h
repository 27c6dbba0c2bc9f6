// A colour scheme for the whole session while it lives, set with SetSysColors as the Control Panel sets one:
// backgrounds in one colour, text in another. Programs started afterwards see it; Wine gives it to no window already
// open, so a change while a window is open is shown to a window of the test's own process, told of it as Windows
// tells every window. The colours before are restored after, for the tests that follow in the same session.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

namespace testing_support {

class ColourScheme {
public:
    ColourScheme(COLORREF back, COLORREF text) { Set(back, text); }
    ~ColourScheme() { SetSysColors(4, kElements, saved_); }
    ColourScheme(const ColourScheme&) = delete;
    ColourScheme& operator=(const ColourScheme&) = delete;
    void Set(COLORREF back, COLORREF text) {
        const COLORREF colours[] = {back, back, text, text};
        ASSERT_TRUE(SetSysColors(4, kElements, colours));
    }

private:
    static constexpr int kElements[] = {COLOR_WINDOW, COLOR_BTNFACE, COLOR_WINDOWTEXT, COLOR_BTNTEXT};
    const COLORREF saved_[4] = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOWTEXT),
                                GetSysColor(COLOR_BTNTEXT)};
};

}  // namespace testing_support

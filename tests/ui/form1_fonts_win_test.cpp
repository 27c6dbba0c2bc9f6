// The main window created in this process: the fonts its controls draw with.
#include <gtest/gtest.h>

#include <memory>

#include "base/scoped_win.h"
#include "ui/form1.h"

namespace {

using namespace inboxhop;

TEST(Form1Fonts, ArialBoldNinePointAndElevenAndAQuarterForThePushButton) {
    auto form = std::make_unique<Form1>(GetModuleHandleW(nullptr));
    ASSERT_TRUE(form->Create());
    const int dpi = GetDeviceCaps(ScopedGetDC(nullptr).get(), LOGPIXELSY);

    const struct {
        int id;
        int hundredthsOfPoint;
    } controls[] = {
        {kText1Id, 900},        {kFrame1Id, 900},       {kOption1Id + 0, 900}, {kOption1Id + 1, 900},
        {kOption1Id + 2, 900},  {kOption1Id + 3, 900},  {kPushButton1Id, 1125},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(testing::Message() << "control " << c.id);
        HWND control = GetDlgItem(form->hwnd(), c.id);
        ASSERT_NE(control, nullptr);
        auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        LOGFONTW lf = {};
        ASSERT_EQ(GetObjectW(font, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
        EXPECT_STREQ(lf.lfFaceName, L"Arial");
        EXPECT_EQ(lf.lfWeight, FW_BOLD);
        EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);
        EXPECT_FALSE(lf.lfItalic);
        // Character height in pixels: 12 for 9 pt and 15 for 11.25 pt at 96 DPI.
        EXPECT_EQ(lf.lfHeight, -MulDiv(c.hundredthsOfPoint, dpi, 7200));
    }

    form.reset();
    // Destroying the window posted a quit message; keep it off the next test.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace

// PushButton1 of a real main window in this process: pressed by the mouse,
// Space and Enter, and seen by accessibility tools. The window's own click
// procedure is kept out of it: a stand-in for the window's message handling
// counts the presses the button reports instead.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <vector>

#include "base/scoped_win.h"
#include "ui/form1.h"
#include "windows_seen.h"

namespace {

using inboxhop::Form1;
using inboxhop::kPushButton1Id;

int g_clicks = 0;
WNDPROC g_formProc = nullptr;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kPushButton1Id && HIWORD(wParam) == BN_CLICKED) {
        ++g_clicks;
        return 0;
    }
    return CallWindowProcW(g_formProc, hwnd, message, wParam, lParam);
}

class PushButton : public ::testing::Test {
protected:
    void SetUp() override {
        form_ = std::make_unique<Form1>(GetModuleHandleW(nullptr));
        ASSERT_TRUE(form_->Create());
        window_ = form_->hwnd();
        button_ = GetDlgItem(window_, kPushButton1Id);
        ASSERT_NE(button_, nullptr);
        g_formProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
        g_clicks = 0;
    }
    void TearDown() override {
        form_.reset();
        // Destroying the window posts a quit message; take it off the queue.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    void Mouse(UINT message, int x, int y) { SendMessageW(button_, message, 0, MAKELPARAM(x, y)); }
    // A key as the message loop hands it on: through the dialog manager,
    // and to the focused control when the dialog manager leaves it.
    void Key(UINT message, WPARAM key, bool repeat = false) {
        MSG msg = {};
        msg.hwnd = GetFocus();
        msg.message = message;
        msg.wParam = key;
        msg.lParam = repeat ? 0x40000001 : 1;
        if (message == WM_KEYUP) msg.lParam |= 0xC0000000;
        if (!IsDialogMessageW(window_, &msg)) DispatchMessageW(&msg);
    }

    std::unique_ptr<Form1> form_;
    HWND window_ = nullptr;
    HWND button_ = nullptr;
};

TEST_F(PushButton, TheMouseClicksWhenReleasedOverTheButton) {
    const struct {
        const char* what;
        std::vector<POINT> path;  // down at the first point, up at the last, moves between
        int clicks;
    } cases[] = {
        {"down and up inside", {{5, 5}, {5, 5}}, 1},
        {"released outside", {{5, 5}, {600, 5}}, 0},
        {"out and back in", {{5, 5}, {-20, 5}, {100, 15}}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g_clicks = 0;
        Mouse(WM_LBUTTONDOWN, c.path.front().x, c.path.front().y);
        EXPECT_EQ(GetCapture(), button_);
        EXPECT_EQ(GetFocus(), button_);
        for (size_t i = 1; i < c.path.size(); ++i) Mouse(WM_MOUSEMOVE, c.path[i].x, c.path[i].y);
        EXPECT_EQ(g_clicks, 0) << "clicked before the release";
        Mouse(WM_LBUTTONUP, c.path.back().x, c.path.back().y);
        EXPECT_EQ(g_clicks, c.clicks);
        EXPECT_NE(GetCapture(), button_);
    }
}

TEST_F(PushButton, SpaceClicksOnReleaseAndEnterWhileFocused) {
    SetFocus(button_);
    Key(WM_KEYDOWN, VK_SPACE);
    Key(WM_KEYDOWN, VK_SPACE, true);  // held: the key repeats
    EXPECT_EQ(g_clicks, 0);
    Key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(g_clicks, 1);

    Key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(g_clicks, 2);
    // Other keys do nothing.
    Key(WM_KEYDOWN, 'A');
    Key(WM_KEYUP, 'A');
    EXPECT_EQ(g_clicks, 2);

    // Enter on another control presses nothing.
    SetFocus(GetDlgItem(window_, inboxhop::kText1Id));
    Key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(g_clicks, 2);
}

TEST_F(PushButton, AccessibilityToolsSeeTheSystemsButtonNamedByItsCaption) {
    // The system's own button class: screen readers get its role and its
    // "Press" action from the system. (Wine 8's accessibility library has no
    // button object of its own and answers as for any client area, so only
    // the name and state are checked here.)
    EXPECT_EQ(_wcsicmp(testing_support::ClassOf(button_).c_str(), L"Button"), 0) << testing_support::ClassOf(button_);

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        inboxhop::ComPtr<IAccessible> accessible;
        ASSERT_EQ(AccessibleObjectFromWindow(button_, OBJID_CLIENT, IID_IAccessible, accessible.put_void()), S_OK);
        ASSERT_TRUE(accessible);
        VARIANT self = {};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR text = nullptr;
        ASSERT_EQ(accessible->get_accName(self, &text), S_OK);
        EXPECT_STREQ(text, L"Mailvane");
        SysFreeString(text);
        VARIANT state = {};
        ASSERT_EQ(accessible->get_accState(self, &state), S_OK);
        EXPECT_TRUE(state.lVal & STATE_SYSTEM_FOCUSABLE);
        EXPECT_FALSE(state.lVal & STATE_SYSTEM_PRESSED);
    }
    CoUninitialize();

    // What the system's "Press" action sends presses it.
    SendMessageW(button_, BM_CLICK, 0, 0);
    EXPECT_EQ(g_clicks, 1);
}

}  // namespace

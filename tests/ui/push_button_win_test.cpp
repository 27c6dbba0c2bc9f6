// The program's own push button in this process, under a parent that
// records the presses it reports: by mouse and keyboard, and through what
// accessibility tools see.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <vector>

#include "ui/push_button.h"
#include "window_driving.h"

namespace {

using inboxhop::kPushButtonClass;

constexpr int kButtonId = 20;
constexpr wchar_t kParentClass[] = L"InboxhopPushButtonTestParent";

std::vector<WORD> g_notifications;  // the codes of WM_COMMAND from the button, in order

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kButtonId) g_notifications.push_back(HIWORD(wParam));
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class PushButton : public ::testing::Test {
protected:
    void SetUp() override {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        parent_ = testing_support::CreateTestWindow(kParentClass, ParentProc, L"parent", 400, 200);
        ASSERT_NE(parent_, nullptr);
        button_ = CreateWindowExW(0, kPushButtonClass, L"Mailvane", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 200,
                                  30, parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), instance,
                                  nullptr);
        ASSERT_NE(button_, nullptr);
        g_notifications.clear();
    }
    void TearDown() override {
        if (parent_) DestroyWindow(parent_);
    }

    int Clicks() const {
        int n = 0;
        for (WORD code : g_notifications) n += code == BN_CLICKED;
        return n;
    }
    void Mouse(UINT message, int x, int y) { SendMessageW(button_, message, 0, MAKELPARAM(x, y)); }
    void Key(UINT message, WPARAM key, bool repeat = false) {
        SendMessageW(button_, message, key, repeat ? 0x40000001 : 1);
    }

    HWND parent_ = nullptr;
    HWND button_ = nullptr;
};

TEST_F(PushButton, TheMouseClicksWhenReleasedOverTheButton) {
    const struct {
        const char* what;
        std::vector<POINT> path;  // down at the first point, up at the last, moves between
        int clicks;
    } cases[] = {
        {"down and up inside", {{5, 5}, {5, 5}}, 1},
        {"released outside", {{5, 5}, {250, 5}}, 0},
        {"out and back in", {{5, 5}, {-20, 5}, {100, 15}}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g_notifications.clear();
        SetFocus(parent_);
        Mouse(WM_LBUTTONDOWN, c.path.front().x, c.path.front().y);
        EXPECT_EQ(GetCapture(), button_);
        EXPECT_EQ(GetFocus(), button_);
        for (size_t i = 1; i < c.path.size(); ++i) Mouse(WM_MOUSEMOVE, c.path[i].x, c.path[i].y);
        EXPECT_EQ(Clicks(), 0) << "clicked before the release";
        Mouse(WM_LBUTTONUP, c.path.back().x, c.path.back().y);
        EXPECT_EQ(Clicks(), c.clicks);
        EXPECT_NE(GetCapture(), button_);
    }
    // A release without a press on the button is no click.
    g_notifications.clear();
    Mouse(WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(Clicks(), 0);
}

TEST_F(PushButton, SpaceClicksOnReleaseAndEnterAtOnce) {
    Key(WM_KEYDOWN, VK_SPACE);
    Key(WM_KEYDOWN, VK_SPACE, true);  // held: the key repeats
    EXPECT_EQ(Clicks(), 0);
    Key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(Clicks(), 1);

    // Losing the focus while Space is down cancels the press.
    SetFocus(button_);
    Key(WM_KEYDOWN, VK_SPACE);
    SetFocus(parent_);
    Key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(Clicks(), 1);

    Key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(Clicks(), 2);
    // Other keys do nothing.
    Key(WM_KEYDOWN, 'A');
    Key(WM_KEYUP, 'A');
    EXPECT_EQ(Clicks(), 2);

    // The dialog manager hands Enter to the button instead of acting on it.
    MSG enter = {};
    enter.hwnd = button_;
    enter.message = WM_KEYDOWN;
    enter.wParam = VK_RETURN;
    EXPECT_TRUE(SendMessageW(button_, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
                DLGC_WANTMESSAGE);
}

TEST_F(PushButton, AccessibilityToolsSeeAPushButton) {
    HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
    ASSERT_NE(oleacc, nullptr);
    using FromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    auto fromWindow =
        reinterpret_cast<FromWindowFn>(reinterpret_cast<void*>(GetProcAddress(oleacc, "AccessibleObjectFromWindow")));
    ASSERT_NE(fromWindow, nullptr);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* accessible = nullptr;
    ASSERT_EQ(fromWindow(button_, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&accessible)), S_OK);
    ASSERT_NE(accessible, nullptr);

    VARIANT self = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role = {};
    ASSERT_EQ(accessible->get_accRole(self, &role), S_OK);
    EXPECT_EQ(role.vt, VT_I4);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_PUSHBUTTON);

    // Named by its caption, with "Press" as its default action.
    HMODULE oleaut = LoadLibraryW(L"oleaut32.dll");
    ASSERT_NE(oleaut, nullptr);
    using FreeFn = void(WINAPI*)(BSTR);
    auto freeString = reinterpret_cast<FreeFn>(reinterpret_cast<void*>(GetProcAddress(oleaut, "SysFreeString")));
    BSTR text = nullptr;
    ASSERT_EQ(accessible->get_accName(self, &text), S_OK);
    EXPECT_STREQ(text, L"Mailvane");
    freeString(text);
    ASSERT_EQ(accessible->get_accDefaultAction(self, &text), S_OK);
    EXPECT_STREQ(text, L"Press");
    freeString(text);
    VARIANT state = {};
    ASSERT_EQ(accessible->get_accState(self, &state), S_OK);
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_FOCUSABLE);
    EXPECT_FALSE(state.lVal & STATE_SYSTEM_PRESSED);

    // The default action presses it.
    g_notifications.clear();
    accessible->accDoDefaultAction(self);
    MSG msg;
    for (int i = 0; i < 20 && Clicks() == 0; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    EXPECT_EQ(Clicks(), 1);
    accessible->Release();
    CoUninitialize();
}

}  // namespace

// The window a mail-link start makes: message-only and without controls,
// yet able to become the full window should the start show it after all.
#include <gtest/gtest.h>

#include "registry_scratch.h"
#include "app/form1_procedures.h"
#include "ui/form1.h"

namespace {

using inboxhop::Form1;

bool IsTopLevel(HWND hwnd) { return GetAncestor(hwnd, GA_PARENT) == GetDesktopWindow(); }

TEST(HandOffWindow, IsMessageOnlyAndKeepsTheChoiceUntilItIsShown) {
    testing_support::ScratchOption option;
    Form1 form(GetModuleHandleW(nullptr));
    ASSERT_TRUE(form.Create(Form1::Purpose::HandOff));
    EXPECT_FALSE(IsTopLevel(form.hwnd()));
    EXPECT_FALSE(form.HasControls());
    EXPECT_EQ(GetDlgItem(form.hwnd(), inboxhop::kOption1Id), nullptr);

    // Marking a service still stores the choice.
    inboxhop::Form1Procedures(form).SelectService(2);
    EXPECT_EQ(option.Read(), L"3");
    EXPECT_TRUE(form.IsOptionSelected(2));
    EXPECT_FALSE(form.IsOptionSelected(0));

    form.MakeShowable();
    EXPECT_TRUE(IsTopLevel(form.hwnd()));
    ASSERT_TRUE(form.HasControls());
    HWND third = GetDlgItem(form.hwnd(), inboxhop::kOption1Id + 2);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(SendMessageW(third, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(GetDlgItem(form.hwnd(), inboxhop::kOption1Id), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(form.IsOptionSelected(2));

    // Centred on the screen, like a window made to be shown.
    RECT rc;
    GetWindowRect(form.hwnd(), &rc);
    EXPECT_NEAR((rc.left + rc.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((rc.top + rc.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    // And as large as one.
    Form1 shown(GetModuleHandleW(nullptr));
    ASSERT_TRUE(shown.Create(Form1::Purpose::Show));
    RECT client, shownClient;
    GetClientRect(form.hwnd(), &client);
    GetClientRect(shown.hwnd(), &shownClient);
    EXPECT_EQ(client.right, shownClient.right);
    EXPECT_EQ(client.bottom, shownClient.bottom);
    ShowWindow(form.hwnd(), SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
}

TEST(HandOffWindow, AWindowMadeToBeShownHasItsControlsFromTheStart) {
    Form1 form(GetModuleHandleW(nullptr));
    ASSERT_TRUE(form.Create(Form1::Purpose::Show));
    EXPECT_TRUE(IsTopLevel(form.hwnd()));
    EXPECT_TRUE(form.HasControls());
    EXPECT_FALSE(IsWindowVisible(form.hwnd()));
}

}  // namespace

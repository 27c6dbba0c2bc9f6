// The skin component on a window of the test's own, with the same kinds of
// controls as the main window: what it paints, what it answers to the
// controls' colour requests, which fonts it hands out, and how it fails.
#include <gtest/gtest.h>

#include <string>

#include "app/error_trap.h"
#include "base/scoped_win.h"
#include "failure_text.h"
#include "file_bytes.h"
#include "ui/form1.h"
#include "ui/skin_framework.h"
#include "window_driving.h"
#include "started_process.h"

namespace {

using inboxhop::Failure;
using inboxhop::SkinFramework;

constexpr wchar_t kTestWindowClass[] = L"InboxhopSkinTestWindow";
constexpr RECT kFrameRect = {100, 100, 180, 160};
constexpr POINT kInsideFrame = {140, 140};
// What the test window answers itself to a colour request.
constexpr COLORREF kOwnTextColor = RGB(1, 2, 3);
// A message the test window counts, to see that its own handling still runs.
constexpr UINT kCountedMessage = WM_USER + 77;
int ownColorAnswers = 0;
int countedMessages = 0;

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        ++ownColorAnswers;
        SetTextColor(reinterpret_cast<HDC>(wParam), kOwnTextColor);
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case kCountedMessage:
        ++countedMessages;
        return 42;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring WriteSkin(const std::string& text) {
    std::wstring path = testing_support::NewScratchFolder(L"skin") + L"\\o.cjs";
    testing_support::WriteFileBytes(path, text);
    return path;
}

COLORREF BrushColor(LRESULT brush) {
    LOGBRUSH lb = {};
    GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof(lb), &lb);
    return lb.lbColor;
}

// The font a control draws with; all zero when it has none set.
LOGFONTW FontOf(HWND control) {
    LOGFONTW lf = {};
    if (auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0))) GetObjectW(font, sizeof(lf), &lf);
    return lf;
}

std::wstring FaceOf(HWND control) { return FontOf(control).lfFaceName; }

class SkinComponent : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = testing_support::CreateTestWindow(kTestWindowClass, TestWindowProc, L"skin test", 300, 200);
        ASSERT_NE(window_, nullptr);
        auto child = [&](const wchar_t* cls, DWORD style, RECT r = {0, 0, 50, 20}) {
            return CreateWindowExW(0, cls, L"x", WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
        };
        frame_ = child(L"BUTTON", BS_GROUPBOX, kFrameRect);
        option_ = child(L"BUTTON", BS_AUTORADIOBUTTON);
        edit_ = child(L"EDIT", 0);
        label_ = child(L"STATIC", 0);
        button_ = child(L"BUTTON", inboxhop::kPushButtonStyle);
        ownColorAnswers = 0;
        countedMessages = 0;
    }

    void TearDown() override {
        if (window_) DestroyWindow(window_);
    }

    // Asks the window for a control's colours as the control does when it
    // paints; returns the brush and leaves the colours set on `dc_`.
    LRESULT ColorRequest(UINT message, HWND control) {
        SetTextColor(dc_, RGB(9, 9, 9));
        SetBkColor(dc_, RGB(9, 9, 9));
        return SendMessageW(window_, message, reinterpret_cast<WPARAM>(dc_), reinterpret_cast<LPARAM>(control));
    }

    // What erasing the window's background paints at `at`: by default a
    // point outside the frame.
    COLORREF ErasedColor(POINT at = {10, 10}) {
        HDC memory = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateCompatibleBitmap(inboxhop::ScopedGetDC(nullptr).get(), 300, 200);
        HGDIOBJ old = SelectObject(memory, bitmap);
        RECT all = {0, 0, 300, 200};
        FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SendMessageW(window_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
        COLORREF color = GetPixel(memory, at.x, at.y);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        return color;
    }

    ~SkinComponent() override { DeleteDC(dc_); }

    HWND window_ = nullptr, frame_ = nullptr, option_ = nullptr, edit_ = nullptr, label_ = nullptr,
         button_ = nullptr;
    HDC dc_ = CreateCompatibleDC(nullptr);  // stands in for a control's painting
};

constexpr char kSkin[] =
    "[Test]\n"
    "window.back = #102030\n"
    "frame.back = #708090\n"
    "option.text = #405060\n"
    "textbox.back = #0A0B0C\n"
    "frame.font = Arial, 12, bold\n"
    "button.font = Courier New, 10\n";

TEST_F(SkinComponent, PaintsAndAnswersForTheControlsAsItsSwitchesSay) {
    const struct {
        bool controls;
        bool fonts;
    } cases[] = {{false, true}, {true, false}, {true, true}};
    const std::wstring path = WriteSkin(kSkin);
    const COLORREF window = RGB(0x10, 0x20, 0x30), frame = RGB(0x70, 0x80, 0x90);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "controls " << c.controls << ", fonts " << c.fonts);
        TearDown();
        SetUp();
        SkinFramework skin;
        skin.LoadSkin(path, L"");
        // Bits other than the controls bit change nothing.
        skin.SetOptions(static_cast<std::int32_t>(0x7FFF0000) | (c.controls ? SkinFramework::kSkinControls : 0));
        skin.SetApplyFonts(c.fonts);
        skin.ApplyWindow(window_);
        EXPECT_NE(GetPropW(window_, inboxhop::kSkinAppliedProp), nullptr);

        EXPECT_EQ(ErasedColor(), window);
        EXPECT_EQ(ErasedColor(kInsideFrame), c.controls ? frame : window);
        LRESULT brush = ColorRequest(WM_CTLCOLORSTATIC, option_);
        if (!c.controls) {
            // The controls get the window's own answers and keep their fonts.
            EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
            EXPECT_EQ(GetTextColor(dc_), kOwnTextColor);
            EXPECT_EQ(FaceOf(frame_), L"");
            continue;
        }
        // The option button: the frame's back colour and its own text colour.
        EXPECT_EQ(BrushColor(brush), frame);
        EXPECT_EQ(GetBkColor(dc_), frame);
        EXPECT_EQ(GetTextColor(dc_), RGB(0x40, 0x50, 0x60));
        // The frame sets no text colour: the window's own stays.
        EXPECT_EQ(BrushColor(ColorRequest(WM_CTLCOLORSTATIC, frame_)), frame);
        EXPECT_EQ(GetTextColor(dc_), kOwnTextColor);
        EXPECT_EQ(BrushColor(ColorRequest(WM_CTLCOLOREDIT, edit_)), RGB(0x0A, 0x0B, 0x0C));
        // A control the skin does not know gets the window's own answer.
        EXPECT_EQ(ColorRequest(WM_CTLCOLORSTATIC, label_), reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
        // The window's own handling ran for every request.
        EXPECT_EQ(ownColorAnswers, 4);

        if (c.fonts) {
            EXPECT_EQ(FaceOf(option_), L"Arial");  // from the frame
            EXPECT_EQ(FaceOf(button_), L"Courier New");
            EXPECT_EQ(FaceOf(edit_), L"");  // the skin gives the text box none
            const LOGFONTW lf = FontOf(frame_);
            EXPECT_EQ(lf.lfWeight, FW_BOLD);
            EXPECT_EQ(lf.lfHeight, -MulDiv(12, GetDeviceCaps(inboxhop::ScopedGetDC(nullptr).get(), LOGPIXELSY), 72));
        } else {
            EXPECT_EQ(FaceOf(frame_), L"");
            EXPECT_EQ(FaceOf(button_), L"");
        }
    }

    // Applying another skin replaces the one in force; the window is hooked
    // once only, so its own handling is still reached.
    SkinFramework other;
    other.LoadSkin(WriteSkin("[Other]\nwindow.back = #C0FFEE\n"), L"");
    other.SetOptions(SkinFramework::kSkinControls);
    other.ApplyWindow(window_);
    EXPECT_EQ(ErasedColor(kInsideFrame), RGB(0xC0, 0xFF, 0xEE));
    EXPECT_EQ(SendMessageW(window_, kCountedMessage, 0, 0), 42);
    EXPECT_EQ(countedMessages, 1);
}

TEST_F(SkinComponent, AFailedLoadLeavesTheSkinInForceAndApplyNeedsOne) {
    SkinFramework skin;
    // Nothing loaded yet: applying fails and leaves the window alone.
    EXPECT_THROW(skin.ApplyWindow(window_), Failure);
    EXPECT_EQ(GetPropW(window_, inboxhop::kSkinAppliedProp), nullptr);

    skin.LoadSkin(WriteSkin(kSkin), L"");
    const std::wstring folder = testing_support::NewScratchFolder(L"skin-folder");
    const struct {
        std::wstring path;
        const wchar_t* scheme;
        const wchar_t* describes;  // a piece of the failure's description
    } failures[] = {
        {WriteSkin("[Broken]\nwindow.back = blue\n"), L"", L"line 2"},
        {WriteSkin(kSkin), L"Missing", L"no scheme named \"Missing\""},
        {WriteSkin(std::string(inboxhop::kMaxSkinFileBytes + 1, ';')), L"", L"larger than"},
        {folder + L"\\absent.cjs", L"", L""},
        {folder, L"", L""},  // a folder cannot be read as a file
        {std::wstring(L"C:\\a\0b", 6), L"", L""},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(testing::Message() << "path " << f.path.c_str());
        const std::wstring failure = testing_support::FailureText([&] { skin.LoadSkin(f.path, f.scheme); }).value_or(L"");
        EXPECT_FALSE(failure.empty()) << "loaded, or failed without a description";
        EXPECT_NE(failure.find(f.describes), std::wstring::npos) << failure.c_str();
        ASSERT_TRUE(skin.skin().has_value());
        EXPECT_EQ(skin.skin()->scheme, L"Test");
    }

    // A handle that is no window, or the window of another process.
    EXPECT_THROW(skin.ApplyWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0))), Failure);
    EXPECT_THROW(skin.ApplyWindow(GetDesktopWindow()), Failure);
}

}  // namespace

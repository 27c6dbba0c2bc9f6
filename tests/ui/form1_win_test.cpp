// The main window of the real program, started without a mail link and
// driven as a user would: real mouse moves and clicks, real key presses.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/scoped_win.h"
#include "base/system_error.h"
#include "program_run.h"
#include "registry_scratch.h"
#include "ui/form1.h"
#include "window_driving.h"
#include "windows_seen.h"
#include "started_process.h"

namespace {

using namespace testing_support;
using inboxhop::kOption1Id;

constexpr wchar_t kSettingsApplicationPath[] = L"Software\\VB and VBA Program Settings\\Kestrelon";

// Points in the window's client area, at 96 DPI.
constexpr POINT kMargin = {4, 62};        // between the frame and the push button
constexpr POINT kInsideFrame = {480, 40}; // in the frame, right of the service buttons

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(browser_.ok()); }

    // Starts the program without a mail link, with `stored` as the user's
    // stored choice (nothing: none stored), and waits until its window shows.
    void Start(const std::optional<std::wstring>& stored) {
        if (stored) {
            ASSERT_TRUE(option_.Set(*stored));
        } else {
            ASSERT_TRUE(option_.Remove());
        }
        StartAsItIs();
    }

    void StartAsItIs() {
        program_ = std::make_unique<ShownProgram>(ProgramPath(), L"Inboxhop");
        window_ = program_->window();
        ASSERT_NE(window_, nullptr) << "the main window did not appear";
        Settle(window_);
    }

    HWND Control(int id) const { return ControlById(window_, id); }
    HWND Option(int index) const { return Control(kOption1Id + index); }
    HWND PushButton1() const { return Control(inboxhop::kPushButton1Id); }
    HWND Text1() const { return Control(inboxhop::kText1Id); }

    bool Checked(int index) const { return SendMessageW(Option(index), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // Which service button is selected: 0 to 3, or -1 for none.
    int Selected() const {
        int found = -1;
        for (int i = 0; i < inboxhop::Form1::kOptionCount; ++i) {
            if (Checked(i)) found = found == -1 ? i : -2;
        }
        return found;
    }

    int PointerStyle() const { return NumberProperty(window_, inboxhop::kPointerStyleProp); }

    // Waits for a condition while answering message boxes.
    bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
        return program_->Eventually(condition, timeoutMs);
    }

    bool Running() { return WaitForSingleObject(program_->process().handle(), 0) == WAIT_TIMEOUT; }

    // `code`: what waiting for the program's end gave. It must have ended, with exit code 0.
    static void ExpectExitZero(const std::optional<DWORD>& code) {
        ASSERT_TRUE(code.has_value()) << "the program did not end";
        EXPECT_EQ(*code, 0u);
    }
    // The boxes shown so far, all answered with OK.
    const std::vector<SeenBox>& Boxes() const { return program_->boxes(); }

    void Foreground() { ASSERT_TRUE(BringToForeground(window_)) << "the window did not come to the front"; }

    ScratchOption option_;
    RecorderAsBrowser browser_;  // in case the start visits the home page
    std::unique_ptr<ShownProgram> program_;
    HWND window_ = nullptr;
};

TEST_F(MainWindow, HasItsLayoutCaptionsAndBorder) {
    Start(L"1");
    EXPECT_TRUE(Boxes().empty());

    RECT client = ClientRect(window_);
    EXPECT_EQ(client.right, 536);
    EXPECT_EQ(client.bottom, 102);

    // Centred on the screen.
    RECT outer;
    GetWindowRect(window_, &outer);
    EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    // Fixed border, caption with close and minimize buttons, no maximize
    // button; an unowned application window, so it has a taskbar button.
    LONG style = GetWindowLongW(window_, GWL_STYLE);
    LONG exStyle = GetWindowLongW(window_, GWL_EXSTYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindow(window_, GW_OWNER), nullptr);

    const struct {
        int id;
        const wchar_t* className;
        LONG buttonType;  // for the system's buttons, or -1
        RECT rect;        // left, top, right, bottom in client pixels
        const wchar_t* text;
    } controls[] = {
        {inboxhop::kText1Id, L"Edit", -1, {96, 110, 96 + 81, 110 + 35}, L"Text1"},
        {inboxhop::kFrame1Id, L"Button", BS_GROUPBOX, {8, 8, 8 + 520, 8 + 50}, L"Default Email Option"},
        {kOption1Id + 0, L"Button", BS_AUTORADIOBUTTON, {24, 28, 24 + 76, 28 + 19}, L"Gmail"},
        {kOption1Id + 1, L"Button", BS_AUTORADIOBUTTON, {95, 28, 95 + 91, 28 + 19}, L" Yahoo! Mail"},
        {kOption1Id + 2, L"Button", BS_AUTORADIOBUTTON, {197, 28, 197 + 154, 28 + 19}, L" Windows Live Hotmail"},
        {kOption1Id + 3, L"Button", BS_AUTORADIOBUTTON, {365, 28, 365 + 76, 28 + 19}, L"AOL Mail"},
        {inboxhop::kPushButton1Id, L"Button", BS_OWNERDRAW, {8, 67, 8 + 520, 67 + 27}, L"Mailvane"},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(testing::Message() << "control " << c.id);
        HWND hwnd = Control(c.id);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(_wcsicmp(ClassOf(hwnd).c_str(), c.className), 0) << ClassOf(hwnd);
        if (c.buttonType >= 0) {
            EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK, c.buttonType);
        }
        RECT r = RectInParent(hwnd);
        EXPECT_TRUE(EqualRect(&r, &c.rect)) << Describe(r);
        EXPECT_EQ(TextOf(hwnd), c.text);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_TRUE(IsWindowEnabled(hwnd));
    }
    // The text box lies wholly below the client area: the user never sees it.
    EXPECT_GE(RectInParent(Text1()).top, client.bottom);

    // The maximize command is refused as well.
    PostMessageW(window_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Settle(window_);
    EXPECT_FALSE(IsZoomed(window_));
    EXPECT_EQ(ClientRect(window_).right, 536);
}

TEST_F(MainWindow, PaintsWhiteWithTheButtonCaptionShowing) {
    Start(L"1");
    Foreground();
    MoveMouseTo(window_, {-50, -50});  // keep the pointer off the window
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Settle(window_);
    inboxhop::ScopedGetDC screen(nullptr);
    auto pixel = [&](POINT client) {
        POINT p = ClientToScreenPoint(window_, client);
        return GetPixel(screen.get(), p.x, p.y);
    };
    // The window's margin, the inside of the frame, a service button's
    // empty end and the push button's face are white.
    for (POINT p : {kMargin, kInsideFrame, POINT{20, 52}, POINT{90, 38}, POINT{30, 80}}) {
        EXPECT_EQ(pixel(p), RGB(255, 255, 255)) << "at " << p.x << "," << p.y;
    }
    // The caption "Mailvane" is drawn in dark text across the button's middle.
    int dark = 0;
    for (int x = 230; x < 306; ++x) {
        for (int y = 72; y < 90; ++y) {
            COLORREF c = pixel({x, y});
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 96) ++dark;
        }
    }
    EXPECT_GT(dark, 40);
}

TEST_F(MainWindow, TabAndTheArrowKeysMoveThroughTheControls) {
    Start(L"2");
    Foreground();
    // The text box out of sight has the focus, so no control shows a focus mark.
    EXPECT_EQ(FocusOf(window_), Text1());

    // The first Tab enters the service group at its selected button.
    const struct {
        std::initializer_list<WORD> keys;
        HWND expected;
        const char* what;
    } tabs[] = {
        {{VK_TAB}, Option(1), "Tab into the group"},
        {{VK_TAB}, PushButton1(), "Tab to the push button"},
        {{VK_TAB}, Text1(), "Tab wraps to the text box"},
        {{VK_SHIFT, VK_TAB}, PushButton1(), "Shift+Tab back to the push button"},
        {{VK_SHIFT, VK_TAB}, Option(1), "Shift+Tab back into the group"},
    };
    for (const auto& step : tabs) {
        SCOPED_TRACE(step.what);
        PressKeys(step.keys);
        EXPECT_TRUE(Eventually([&] { return FocusOf(window_) == step.expected; }));
    }
    // Moving through selected and stored nothing.
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(option_.Read(), L"2");

    // In the group the arrows select, wrapping round, and each selection is stored.
    const struct {
        WORD key;
        int expected;
    } arrows[] = {{VK_RIGHT, 2}, {VK_DOWN, 3}, {VK_DOWN, 0}, {VK_UP, 3}, {VK_LEFT, 2}};
    for (const auto& step : arrows) {
        SCOPED_TRACE(testing::Message() << "to Option" << step.expected + 1);
        PressKey(step.key);
        EXPECT_TRUE(Eventually([&] { return FocusOf(window_) == Option(step.expected); }));
        EXPECT_TRUE(Eventually([&] { return Selected() == step.expected; }));
        std::wstring code(1, static_cast<wchar_t>(L'1' + step.expected));
        EXPECT_TRUE(Eventually([&] { return option_.Read() == code; }));
    }
    // On the push button the arrows leave the focus where it is.
    PressKey(VK_TAB);
    ASSERT_TRUE(Eventually([&] { return FocusOf(window_) == PushButton1(); }));
    for (WORD key : {VK_DOWN, VK_RIGHT, VK_UP, VK_LEFT}) {
        PressKey(key);
        Settle(window_);
        EXPECT_EQ(FocusOf(window_), PushButton1()) << "key " << key;
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MainWindow, SelectingAServiceStoresItsCodeAtOnce) {
    Start(std::nullopt);
    // The start marks Gmail and stores it.
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(option_.Read(), L"1");
    Foreground();

    ClickAt(window_, CentreInParent(Option(1)));
    EXPECT_TRUE(Eventually([&] { return option_.Read() == L"2"; })) << "\" Yahoo! Mail\" did not store \"2\"";
    EXPECT_EQ(Selected(), 1);
    ClickAt(window_, CentreInParent(Option(3)));
    EXPECT_TRUE(Eventually([&] { return option_.Read() == L"4"; }));
    ClickAt(window_, CentreInParent(Option(0)));
    EXPECT_TRUE(Eventually([&] { return option_.Read() == L"1"; }));

    // Clicking the selected button again stores nothing: a value changed
    // behind the program's back stays as it is.
    ASSERT_TRUE(option_.Set(L"changed elsewhere"));
    ClickAt(window_, CentreInParent(Option(0)));
    Settle(window_);
    EXPECT_EQ(option_.Read(), L"changed elsewhere");
    EXPECT_EQ(Selected(), 0);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MainWindow, TheStoredChoiceSelectsItsButtonOnlyWhenItIsAServiceCode) {
    const struct {
        const wchar_t* stored;
        int selected;
    } cases[] = {{L"3", 2}, {L"01", -1}, {L"5", -1}, {L"", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "stored \"" << c.stored << "\"");
        Start(c.stored);
        EXPECT_EQ(Selected(), c.selected);
        // Neither repaired nor rewritten.
        EXPECT_EQ(option_.Read(), c.stored);
        EXPECT_TRUE(Boxes().empty());
        ASSERT_NO_FATAL_FAILURE(ExpectExitZero(program_->Close()));
    }
}

TEST_F(MainWindow, ThePointerStyleFollowsTheHoverRule) {
    Start(L"1");
    Foreground();
    POINT button = CentreInParent(PushButton1());

    MoveMouseTo(window_, kMargin);
    Settle(window_);
    EXPECT_EQ(PointerStyle(), 0);

    // Over the push button: custom.
    MoveMouseTo(window_, button);
    EXPECT_TRUE(Eventually([&] { return PointerStyle() == 99; }));
    // Over a service button: unchanged.
    MoveMouseTo(window_, CentreInParent(Option(2)));
    MoveMouseTo(window_, {CentreInParent(Option(2)).x + 3, CentreInParent(Option(2)).y});
    Settle(window_);
    EXPECT_EQ(PointerStyle(), 99);
    // Over the frame outside the service buttons: default.
    MoveMouseTo(window_, kInsideFrame);
    EXPECT_TRUE(Eventually([&] { return PointerStyle() == 0; }));
    // Over the service buttons the default stays too.
    MoveMouseTo(window_, CentreInParent(Option(0)));
    Settle(window_);
    EXPECT_EQ(PointerStyle(), 0);
    // Back over the push button, then the window's margin.
    MoveMouseTo(window_, button);
    EXPECT_TRUE(Eventually([&] { return PointerStyle() == 99; }));
    MoveMouseTo(window_, kMargin);
    EXPECT_TRUE(Eventually([&] { return PointerStyle() == 0; }));

    // Leaving the window straight from the push button keeps the custom
    // style until the next move over the background or the frame.
    MoveMouseTo(window_, button);
    EXPECT_TRUE(Eventually([&] { return PointerStyle() == 99; }));
    MoveMouseTo(window_, {button.x, ClientRect(window_).bottom + 40});
    Settle(window_);
    EXPECT_EQ(PointerStyle(), 99);

    // Busy is left alone wherever the pointer moves.
    ASSERT_TRUE(SetPropW(window_, inboxhop::kPointerStyleProp, reinterpret_cast<HANDLE>(INT_PTR{11})));
    for (POINT p : {button, kMargin, kInsideFrame, button}) {
        MoveMouseTo(window_, p);
        Settle(window_);
        EXPECT_EQ(PointerStyle(), 11) << "at " << p.x << "," << p.y;
    }
}

TEST_F(MainWindow, ThePushButtonIsPressedByMouseSpaceAndEnter) {
    // With no service selected each press answers with a message box.
    Start(L"5");
    Foreground();
    ClickAt(window_, CentreInParent(PushButton1()));
    EXPECT_TRUE(Eventually([&] { return Boxes().size() == 1; })) << "the mouse press did not arrive";
    // The pointer moves away; the keyboard presses the focused button.
    MoveMouseTo(window_, kMargin);
    ASSERT_TRUE(Eventually([&] { return GetForegroundWindow() == window_ && FocusOf(window_) == PushButton1(); }));
    PressKey(VK_SPACE);
    EXPECT_TRUE(Eventually([&] { return Boxes().size() == 2; })) << "Space did not press";
    ASSERT_TRUE(Eventually([&] { return GetForegroundWindow() == window_ && FocusOf(window_) == PushButton1(); }));
    PressKey(VK_RETURN);
    EXPECT_TRUE(Eventually([&] { return Boxes().size() == 3; })) << "Enter did not press";
    for (const auto& box : Boxes()) EXPECT_EQ(box.title, L"Inboxhop");
    // The window stays open after a press.
    Settle(window_);
    EXPECT_TRUE(Running());
    EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(MainWindow, ClosingAlwaysEndsTheProgram) {
    const struct {
        const char* how;
        std::function<void()> close;
    } ways[] = {
        {"WM_CLOSE", [this] { PostMessageW(window_, WM_CLOSE, 0, 0); }},
        {"system menu", [this] { PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Alt+F4",
         [this] {
             Foreground();
             PressKeys({VK_MENU, VK_F4});
         }},
        {"closed twice",
         [this] {
             PostMessageW(window_, WM_CLOSE, 0, 0);
             PostMessageW(window_, WM_CLOSE, 0, 0);
         }},
        {"logging off", [this] {
             DWORD_PTR agreed = 0;
             SendMessageTimeoutW(window_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &agreed);
             EXPECT_EQ(agreed, 1u) << "the program refused to let the session end";
             DWORD_PTR ignored;
             SendMessageTimeoutW(window_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &ignored);
         }}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        Start(L"1");
        way.close();
        ASSERT_NO_FATAL_FAILURE(ExpectExitZero(program_->WaitForExit()));
        EXPECT_TRUE(Boxes().empty());
    }
}

TEST_F(MainWindow, TheCloseLetsWaitingMessagesRunFirst) {
    Start(L"1");
    // Hold the window's thread while the close and a click on " Windows Live
    // Hotmail" wait in its queue, the close first.
    inboxhop::ScopedHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(window_, nullptr)));
    ASSERT_NE(thread.get(), nullptr);
    ASSERT_NE(SuspendThread(thread.get()), static_cast<DWORD>(-1));
    PostMessageW(window_, WM_CLOSE, 0, 0);
    PostMessageW(Option(2), BM_CLICK, 0, 0);
    ResumeThread(thread.get());
    ASSERT_NO_FATAL_FAILURE(ExpectExitZero(program_->WaitForExit()));
    // The click ran inside the close, before the window went.
    EXPECT_EQ(option_.Read(), L"3");
}

// Makes the settings store refuse every write for the life of the object:
// the application's key becomes volatile, and a volatile key takes no
// lasting sub-key, so the section cannot be created.
class RefusingSettingsStore {
public:
    RefusingSettingsStore() {
        DeleteTree(HKEY_CURRENT_USER, kSettingsApplicationPath);
        inboxhop::ScopedRegKey key, child;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsApplicationPath, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
            return;
        }
        status_ = RegCreateKeyExW(key.get(), L"Inboxhop", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, child.put(), nullptr);
    }
    ~RefusingSettingsStore() { DeleteTree(HKEY_CURRENT_USER, kSettingsApplicationPath); }

    // Whether the store refuses: the section could not be created.
    bool ok() const { return status_ != ERROR_SUCCESS; }
    LONG status() const { return status_; }

private:
    LONG status_ = ERROR_SUCCESS;  // of creating the section
};

TEST_F(MainWindow, AStoreThatFailsIsReportedAndTheWindowStaysOpen) {
    RefusingSettingsStore refusing;
    if (!refusing.ok()) GTEST_SKIP() << "this system keeps lasting keys under volatile ones";
    const std::wstring description = inboxhop::SystemMessage(static_cast<unsigned long>(refusing.status()));

    StartAsItIs();
    // The start-up marks Gmail; its store fails under the load's trap.
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].title, L"Application Error");
    EXPECT_NE(Boxes()[0].text.find(L"Form1.Form_Load at line 134"), std::wstring::npos);

    // Gmail stays the selected button although its store failed: clicking
    // it again is no new selection, so nothing is stored and nothing shown.
    Foreground();
    ClickAt(window_, CentreInParent(Option(0)));
    Settle(window_);
    program_->watcher().Tick();
    EXPECT_EQ(Boxes().size(), 1u);

    ClickAt(window_, CentreInParent(Option(1)));
    ASSERT_TRUE(Eventually([&] { return Boxes().size() == 2; })) << "no message box";
    EXPECT_EQ(Boxes()[1].title, L"Inboxhop");
    EXPECT_EQ(Boxes()[1].text, description);

    // The program goes on: the window is open and answers.
    Settle(window_);
    EXPECT_TRUE(Running());
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_EQ(Selected(), 1);
    ASSERT_NO_FATAL_FAILURE(ExpectExitZero(program_->Close()));
    EXPECT_EQ(Boxes().size(), 2u);
}

}  // namespace

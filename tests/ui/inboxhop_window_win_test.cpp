// The main window. The real program's, started without a mail link and driven as a user would (real mouse moves and
// clicks, real key presses), its look read back from the screen with and without the two optional files beside it
// (the skin x\o.cjs and the pointer HAND-M.CUR); and windows made in this process: the fonts of their controls,
// SetUpButton pressed and seen by accessibility tools, and the window a mail-link start makes.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program_actions.h"
#include "app_checks.h"
#include "base/scoped.h"
#include "base/system_error.h"
#include "colour_scheme.h"
#include "ui/contrast.h"
#include "ui/inboxhop_window.h"
#include "ui/skin_framework.h"

namespace {

using namespace testing_support;
using namespace inboxhop;

constexpr wchar_t kSettingsApplicationPath[] = L"Software\\VB and VBA Program Settings\\Kestrelon";

// Points in the window's client area, at 96 DPI.
constexpr POINT kMargin = {4, 62};        // between the frame and the push button
constexpr POINT kInsideFrame = {480, 40}; // in the frame, right of the service buttons
constexpr COLORREF kWhite = RGB(255, 255, 255);

std::string Hex(COLORREF c) {
    char text[16];
    snprintf(text, sizeof(text), "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(browser_.ok()); }

    // Starts the program without a mail link, with `stored` as the user's
    // stored choice (nothing: none stored), and waits until its window shows.
    void Start(const std::optional<std::wstring>& stored) {
        ASSERT_TRUE(stored ? option_.Set(*stored) : option_.Remove());
        Launch(ProgramPath(), L"Inboxhop");
    }

    // Starts `program` without a mail link and waits until its window (with
    // this caption, when given) shows, answering any box on the way.
    void Launch(const std::wstring& program, const std::wstring& caption = L"") {
        ASSERT_FALSE(program.empty()) << "could not prepare the program's folder";
        program_ = std::make_unique<ShownProgram>(program, caption);
        window_ = program_->window();
        ASSERT_NE(window_, nullptr) << "the main window did not appear";
        Settle(window_);
    }

    HWND Control(int id) const { return GetDlgItem(window_, id); }
    HWND ServiceButton(int index) const { return Control(kServiceButtonId + index); }
    HWND SetUpButton() const { return Control(kSetUpButtonId); }
    HWND FocusHolder() const { return Control(kFocusHolderId); }

    bool Checked(int index) const { return SendMessageW(ServiceButton(index), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // Which service button is selected: 0 to 3, or -1 for none.
    int Selected() const {
        int found = -1;
        for (int i = 0; i < InboxhopWindow::kServiceButtonCount; ++i) {
            if (Checked(i)) found = found == -1 ? i : -2;
        }
        return found;
    }

    int PointerStyle() const { return NumberProperty(window_, inboxhop::kPointerStyleProp); }

    // Waits for a condition while answering message boxes.
    bool Eventually(const std::function<bool()>& condition) { return program_->Eventually(condition); }

    bool Running() { return WaitForSingleObject(program_->process().handle(), 0) == WAIT_TIMEOUT; }

    // The boxes shown so far, all answered with OK.
    const std::vector<SeenBox>& Boxes() const { return program_->boxes(); }

    void Foreground() { ASSERT_TRUE(BringToForeground(window_)) << "the window did not come to the front"; }
    void ExpectReadableCaptions(COLORREF back);

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
        {kFocusHolderId, L"Edit", -1, {96, 110, 96 + 81, 110 + 35}, L"Text1"},
        {kServiceFrameId, L"Button", BS_GROUPBOX, {8, 8, 8 + 520, 8 + 50}, L"Default Email Option"},
        {kServiceButtonId + 0, L"Button", BS_AUTORADIOBUTTON, {24, 28, 24 + 76, 28 + 19}, L"Gmail"},
        {kServiceButtonId + 1, L"Button", BS_AUTORADIOBUTTON, {95, 28, 95 + 91, 28 + 19}, L" Yahoo! Mail"},
        {kServiceButtonId + 2, L"Button", BS_AUTORADIOBUTTON, {197, 28, 197 + 154, 28 + 19}, L" Windows Live Hotmail"},
        {kServiceButtonId + 3, L"Button", BS_AUTORADIOBUTTON, {365, 28, 365 + 76, 28 + 19}, L"AOL Mail"},
        {kSetUpButtonId, L"Button", BS_OWNERDRAW, {8, 67, 8 + 520, 67 + 27}, L"Mailvane"},
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
        EXPECT_TRUE(EqualRect(&r, &c.rect))
            << r.left << "," << r.top << " " << r.right - r.left << "x" << r.bottom - r.top;
        EXPECT_EQ(TextOf(hwnd), c.text);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_TRUE(IsWindowEnabled(hwnd));
    }
    // The text box lies wholly below the client area: the user never sees it.
    EXPECT_GE(RectInParent(FocusHolder()).top, client.bottom);
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
    // The window's margin, the inside of the frame, a service button's empty end and the push button's face are white.
    for (POINT p : {kMargin, kInsideFrame, POINT{20, 52}, POINT{90, 38}, POINT{30, 80}}) {
        EXPECT_EQ(ScreenPixels(window_, {p.x, p.y, p.x + 1, p.y + 1})[0], kWhite) << "at " << p.x << "," << p.y;
    }
    // The caption "Mailvane" is drawn in dark text across the button's middle.
    const std::vector<COLORREF> caption = ScreenPixels(window_, {230, 72, 306, 90});
    EXPECT_GT(std::count_if(caption.begin(), caption.end(),
                            [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 96; }),
              40);
}

TEST_F(MainWindow, TabAndTheArrowKeysMoveThroughTheControls) {
    Start(L"2");
    Foreground();
    // The text box out of sight has the focus, so no control shows a focus mark.
    EXPECT_EQ(FocusOf(window_), FocusHolder());
    // The first Tab enters the service group at its selected button.
    const struct {
        std::initializer_list<WORD> keys;
        HWND expected;
        const char* what;
    } tabs[] = {
        {{VK_TAB}, ServiceButton(1), "Tab into the group"},
        {{VK_TAB}, SetUpButton(), "Tab to the push button"},
        {{VK_TAB}, ServiceButton(1), "Tab wraps round into the group, passing the text box by"},
        {{VK_SHIFT, VK_TAB}, SetUpButton(), "Shift+Tab wraps back to the push button"},
        {{VK_SHIFT, VK_TAB}, ServiceButton(1), "Shift+Tab back into the group"},
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
        EXPECT_TRUE(Eventually([&] { return FocusOf(window_) == ServiceButton(step.expected); }));
        EXPECT_TRUE(Eventually([&] { return Selected() == step.expected; }));
        const std::wstring code(1, static_cast<wchar_t>(L'1' + step.expected));
        EXPECT_TRUE(Eventually([&] { return option_.Read() == code; }));
    }
    // On the push button the arrows leave the focus where it is.
    PressKey(VK_TAB);
    ASSERT_TRUE(Eventually([&] { return FocusOf(window_) == SetUpButton(); }));
    for (WORD key : {VK_DOWN, VK_RIGHT, VK_UP, VK_LEFT}) {
        PressKey(key);
        Settle(window_);
        EXPECT_EQ(FocusOf(window_), SetUpButton()) << "key " << key;
    }
    EXPECT_TRUE(Boxes().empty());
}

// What a screen reader reads of a control of another process: its accessible name and description.
std::pair<std::wstring, std::wstring> AccessibleTexts(HWND control) {
    inboxhop::ComPtr<IAccessible> accessible;
    if (AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_IAccessible, accessible.put_void()) != S_OK) return {};
    VARIANT self = {};
    self.vt = VT_I4;  // CHILDID_SELF: the control itself
    BSTR name = nullptr, description = nullptr;
    accessible->get_accName(self, &name);
    accessible->get_accDescription(self, &description);
    std::pair<std::wstring, std::wstring> texts(name ? name : L"", description ? description : L"");
    SysFreeString(name);
    SysFreeString(description);
    return texts;
}

TEST_F(MainWindow, KeyboardAndScreenReaderUsersAlwaysKnowWhereTheFocusIs) {
    Start(L"2");
    Foreground();
    // Typing before the first Tab goes into the text box out of sight, and changes nothing there.
    for (WORD key : {WORD{'H'}, WORD{'I'}, WORD{VK_SPACE}, WORD{VK_BACK}, WORD{VK_DELETE}}) PressKey(key);
    Settle(window_);
    EXPECT_EQ(TextOf(FocusHolder()), L"Text1");
    EXPECT_EQ(FocusOf(window_), FocusHolder());
    // From the first Tab on, Tab and Shift+Tab keep to controls in sight, and the focused one shows a focus mark:
    // it looks different once the focus has left it.
    const RECT client = ClientRect(window_);
    RECT lastFocus = {};
    std::vector<COLORREF> marked;
    for (WORD modifier : {0, 0, 0, VK_SHIFT, VK_SHIFT, VK_SHIFT}) {
        PressKeys(modifier ? std::initializer_list<WORD>{modifier, VK_TAB} : std::initializer_list<WORD>{VK_TAB});
        Settle(window_);
        RECT focus = RectInParent(FocusOf(window_)), inside;
        ASSERT_TRUE(IntersectRect(&inside, &focus, &client) && EqualRect(&inside, &focus)) << "focus out of sight";
        if (!marked.empty()) {
            EXPECT_NE(ScreenPixels(window_, lastFocus), marked) << "no focus mark";
        }
        lastFocus = focus;
        marked = ScreenPixels(window_, focus);
    }
    // What a screen reader says: the captions as names, with what the button does and whose question the
    // service buttons answer; the text box, focused at first, says where the user is.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    using Texts = std::pair<std::wstring, std::wstring>;
    EXPECT_EQ(AccessibleTexts(SetUpButton()),
              Texts(L"Mailvane", L"Makes the chosen web-mail service open the mail links on this computer."));
    EXPECT_EQ(AccessibleTexts(ServiceButton(1)), Texts(L" Yahoo! Mail", L"Default Email Option"));
    EXPECT_EQ(AccessibleTexts(FocusHolder()).first,
              L"Inboxhop makes a web-mail service open your mail links. Press Tab to choose the service");
    // Nor is its text, "Text1", spoken as its value.
    inboxhop::ComPtr<IAccessible> focusHolder;
    ASSERT_EQ(AccessibleObjectFromWindow(FocusHolder(), OBJID_CLIENT, IID_IAccessible, focusHolder.put_void()), S_OK);
    VARIANT self = {};
    self.vt = VT_I4;
    BSTR value = nullptr;
    focusHolder->get_accValue(self, &value);
    EXPECT_EQ(value ? std::wstring(value) : L"", L"");
    SysFreeString(value);
    // It answers that it is out of sight, so that screen readers and magnifiers pass it by.
    VARIANT state = {};
    ASSERT_EQ(focusHolder->get_accState(self, &state), S_OK);
    constexpr LONG kOutOfSight = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    EXPECT_EQ(state.lVal & (kOutOfSight | STATE_SYSTEM_READONLY), kOutOfSight | STATE_SYSTEM_READONLY) << state.lVal;
    CoUninitialize();
}

// Each caption of the window lies on `back`, and its text reads on it at 4.5:1 or more.
void MainWindow::ExpectReadableCaptions(COLORREF back) {
    SCOPED_TRACE(Hex(back));
    const RECT frame = RectInParent(Control(kServiceFrameId)), button = RectInParent(SetUpButton());
    std::vector<std::pair<std::string, RECT>> captions = {
        {"frame", {frame.left + 10, frame.top, frame.left + 110, frame.top + 14}},
        {"push button", {button.left + 6, button.top + 6, button.right - 6, button.bottom - 6}}};
    for (int i = 0; i < 4; ++i) {
        RECT r = RectInParent(ServiceButton(i));
        captions.push_back({"Option" + std::to_string(i + 1), {r.left + 16, r.top, r.right, r.bottom}});
    }
    for (const auto& [what, area] : captions) {
        const std::vector<COLORREF> pixels = ScreenPixels(window_, area);
        const COLORREF ground = Dominant(pixels);
        EXPECT_EQ(Hex(ground), Hex(back)) << what;
        auto readable = std::count_if(pixels.begin(), pixels.end(), [&](COLORREF c) {
            return inboxhop::ContrastRatio(c, ground) >= inboxhop::kReadableContrast;
        });
        EXPECT_GE(readable, 40) << what;
    }
}

TEST_F(MainWindow, EveryCaptionReadsWellInADarkSchemeAndAfterTheSchemeChanges) {
    ColourScheme scheme(RGB(0, 0, 0), RGB(255, 255, 255));
    Start(L"1");
    MoveMouseTo(window_, {-60, -60});  // keep the pointer off the window
    ExpectReadableCaptions(RGB(0, 0, 0));
    ASSERT_EQ(program_->Close(), std::optional<DWORD>(0));
    // Wine gives a new scheme only to programs started after it, so a change while the window is open is shown on a
    // main window of this process, told of it as Windows tells every window.
    InboxhopWindow here(GetModuleHandleW(nullptr));
    ASSERT_TRUE(here.Create());
    window_ = here.hwnd();
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    const struct {
        COLORREF back;
        UINT message;
    } changes[] = {{RGB(0, 0, 0), WM_SYSCOLORCHANGE}, {RGB(0, 0, 0x80), WM_THEMECHANGED}};
    for (const auto& [back, message] : changes) {
        scheme.Set(back, RGB(255, 255, 0));
        SendMessageW(window_, message, 0, 0);
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
        ExpectReadableCaptions(back);
    }
}

TEST_F(MainWindow, SelectingAServiceStoresItsCodeAtOnce) {
    Start(std::nullopt);
    // The start marks Gmail and stores it.
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(option_.Read(), L"1");
    Foreground();
    ClickAt(window_, CentreInParent(ServiceButton(1)));
    EXPECT_TRUE(Eventually([&] { return option_.Read() == L"2"; })) << "\" Yahoo! Mail\" did not store \"2\"";
    EXPECT_EQ(Selected(), 1);
    ClickAt(window_, CentreInParent(ServiceButton(3)));
    EXPECT_TRUE(Eventually([&] { return option_.Read() == L"4"; }));
    ClickAt(window_, CentreInParent(ServiceButton(0)));
    EXPECT_TRUE(Eventually([&] { return option_.Read() == L"1"; }));
    // Clicking the selected button again stores nothing: a value changed behind the program's back stays as it is.
    ASSERT_TRUE(option_.Set(L"changed elsewhere"));
    ClickAt(window_, CentreInParent(ServiceButton(0)));
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
        ASSERT_EQ(program_->Close(), std::optional<DWORD>(0)) << "the program did not end with exit code 0";
    }
}

TEST_F(MainWindow, ThePointerStyleFollowsTheHoverRule) {
    Start(L"1");
    Foreground();
    const POINT button = CentreInParent(SetUpButton()), thirdService = CentreInParent(ServiceButton(2));
    const struct {
        const char* over;
        POINT at;
        int style;
        bool changes;  // true: wait for the style; false: it must be so once the window has settled
    } moves[] = {
        {"the margin", kMargin, 0, false},
        {"the push button: custom", button, 99, true},
        {"a service button: unchanged", thirdService, 99, false},
        {"the same service button, moved on", {thirdService.x + 3, thirdService.y}, 99, false},
        {"the frame outside the service buttons: default", kInsideFrame, 0, true},
        {"a service button: the default stays", CentreInParent(ServiceButton(0)), 0, false},
        {"the push button again", button, 99, true},
        {"the window's margin", kMargin, 0, true},
        {"the push button once more", button, 99, true},
        // Leaving the window straight from the push button keeps the custom
        // style until the next move over the background or the frame.
        {"outside the window", {button.x, ClientRect(window_).bottom + 40}, 99, false},
    };
    for (const auto& m : moves) {
        SCOPED_TRACE(m.over);
        MoveMouseTo(window_, m.at);
        if (m.changes) {
            EXPECT_TRUE(Eventually([&] { return PointerStyle() == m.style; }));
        } else {
            Settle(window_);
            EXPECT_EQ(PointerStyle(), m.style);
        }
    }
    // Busy is left alone wherever the pointer moves.
    ASSERT_TRUE(SetPropW(window_, inboxhop::kPointerStyleProp, reinterpret_cast<HANDLE>(INT_PTR{11})));
    for (POINT p : {button, kMargin, kInsideFrame, button}) {
        MoveMouseTo(window_, p);
        Settle(window_);
        EXPECT_EQ(PointerStyle(), 11) << "at " << p.x << "," << p.y;
    }
}

TEST_F(MainWindow, TheSetUpButtonIsPressedByMouseSpaceAndEnter) {
    // With no service selected each press answers with a message box.
    Start(L"5");
    Foreground();
    ClickAt(window_, CentreInParent(SetUpButton()));
    EXPECT_TRUE(Eventually([&] { return Boxes().size() == 1; })) << "the mouse press did not arrive";
    // The pointer moves away; the keyboard presses the focused button.
    MoveMouseTo(window_, kMargin);
    ASSERT_TRUE(Eventually([&] { return GetForegroundWindow() == window_ && FocusOf(window_) == SetUpButton(); }));
    PressKey(VK_SPACE);
    EXPECT_TRUE(Eventually([&] { return Boxes().size() == 2; })) << "Space did not press";
    ASSERT_TRUE(Eventually([&] { return GetForegroundWindow() == window_ && FocusOf(window_) == SetUpButton(); }));
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
        ASSERT_EQ(program_->WaitForExit(), std::optional<DWORD>(0)) << "the program did not end with exit code 0";
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
    PostMessageW(ServiceButton(2), BM_CLICK, 0, 0);
    ResumeThread(thread.get());
    ASSERT_EQ(program_->WaitForExit(), std::optional<DWORD>(0)) << "the program did not end with exit code 0";
    // The click ran inside the close, before the window went.
    EXPECT_EQ(option_.Read(), L"3");
}

// Makes the settings store refuse every write while it lives: the application's key becomes volatile, and a volatile
// key takes no lasting sub-key, so the section cannot be created.
struct RefusingSettingsStore {
    RefusingSettingsStore() {
        DeleteTree(HKEY_CURRENT_USER, kSettingsApplicationPath);
        inboxhop::ScopedRegKey key, child;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsApplicationPath, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, key.put(), nullptr) == ERROR_SUCCESS) {
            status = RegCreateKeyExW(key.get(), L"Inboxhop", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                     nullptr, child.put(), nullptr);
        }
    }
    ~RefusingSettingsStore() { DeleteTree(HKEY_CURRENT_USER, kSettingsApplicationPath); }

    LONG status = ERROR_SUCCESS;  // of creating the section: the store refuses when it failed
};

TEST_F(MainWindow, AStoreThatFailsIsReportedAndTheWindowStaysOpen) {
    RefusingSettingsStore refusing;
    if (refusing.status == ERROR_SUCCESS) GTEST_SKIP() << "this system keeps lasting keys under volatile ones";
    const std::wstring description = inboxhop::SystemMessage(static_cast<unsigned long>(refusing.status));
    Launch(ProgramPath(), L"Inboxhop");
    // The start-up marks Gmail; its store fails under the load's trap.
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].title, L"Application Error");
    EXPECT_NE(Boxes()[0].text.find(L"Form1.Form_Load at line 134"), std::wstring::npos);
    // Gmail stays the selected button although its store failed: clicking
    // it again is no new selection, so nothing is stored and nothing shown.
    Foreground();
    ClickAt(window_, CentreInParent(ServiceButton(0)));
    Settle(window_);
    program_->watcher().Tick();
    EXPECT_EQ(Boxes().size(), 1u);
    ClickAt(window_, CentreInParent(ServiceButton(1)));
    ASSERT_TRUE(Eventually([&] { return Boxes().size() == 2; })) << "no message box";
    EXPECT_EQ(Boxes()[1].title, L"Inboxhop");
    EXPECT_EQ(Boxes()[1].text, description);
    // The program goes on: the window is open and answers.
    Settle(window_);
    EXPECT_TRUE(Running());
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_EQ(Selected(), 1);
    ASSERT_EQ(program_->Close(), std::optional<DWORD>(0)) << "the program did not end with exit code 0";
    EXPECT_EQ(Boxes().size(), 2u);
}

// What the skin file in the program's folder is.
enum class SkinFile { None, File, Folder, HiddenFile, SystemFile };
// What HAND-M.CUR in the program's folder is.
enum class PointerFile { None, Shipped, Broken };

// A copy of the program in a folder of its own, with the optional files as
// asked. Returns the program's path, or an empty text on failure.
std::wstring ProgramWith(SkinFile skinKind, const std::string& skin, PointerFile pointer) {
    const std::wstring folder = NewScratchFolder(L"look"), program = folder + L"\\Inboxhop.exe";
    if (!CopyProgram(ProgramPath(), program)) return L"";
    if (skinKind != SkinFile::None) {
        CreateDirectoryW((folder + L"\\x").c_str(), nullptr);
        const std::wstring path = folder + L"\\x\\o.cjs";
        if (skinKind == SkinFile::Folder) {
            if (!CreateDirectoryW(path.c_str(), nullptr)) return L"";
        } else {
            if (!WriteFileBytes(path, skin)) return L"";
            DWORD attributes = skinKind == SkinFile::HiddenFile   ? FILE_ATTRIBUTE_HIDDEN
                               : skinKind == SkinFile::SystemFile ? FILE_ATTRIBUTE_SYSTEM
                                                                  : FILE_ATTRIBUTE_NORMAL;
            if (!SetFileAttributesW(path.c_str(), attributes)) return L"";
        }
    }
    const std::wstring cursor = folder + L"\\HAND-M.CUR", shipped = TestProgramFolder() + L"\\HAND-M.CUR";
    if (pointer == PointerFile::Shipped && !CopyFileW(shipped.c_str(), cursor.c_str(), FALSE)) return L"";
    if (pointer == PointerFile::Broken && !WriteFileBytes(cursor, "This is no cursor.\r\n")) return L"";
    return program;
}

class Appearance : public MainWindow {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(MainWindow::SetUp());
        ASSERT_TRUE(option_.Set(L"1"));
    }

    void TearDown() override {
        if (program_) program_->Close(10000);
    }

    // The colours the window shows where it matters: its own background, the
    // frame's inside below the service buttons, the service buttons and the push button.
    void ExpectLook(COLORREF windowBack, COLORREF frameBack, COLORREF optionsBack, COLORREF buttonBack) {
        MoveMouseTo(window_, {-60, -60});  // keep the pointer off the window
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Settle(window_);
        auto dominant = [&](RECT area) { return Hex(Dominant(ScreenPixels(window_, area))); };
        const RECT client = ClientRect(window_);
        const RECT frame = RectInParent(Control(kServiceFrameId)), button = RectInParent(SetUpButton());
        // Between the frame and the push button lies a strip of bare window.
        EXPECT_EQ(dominant({0, frame.bottom + 1, client.right, button.top - 1}), Hex(windowBack));
        const int belowButtons = RectInParent(ServiceButton(0)).bottom + 1;
        EXPECT_EQ(dominant({frame.left + 4, belowButtons, frame.right - 4, frame.bottom - 4}), Hex(frameBack));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(dominant(RectInParent(ServiceButton(i))), Hex(optionsBack)) << "service button " << i + 1;
        }
        EXPECT_EQ(dominant(button), Hex(buttonBack));
    }

    bool Skinned() const { return GetPropW(window_, inboxhop::kSkinAppliedProp) != nullptr; }

    // The pointer the system shows once it rests on `client`; the hover rule's style must have become `style` by then.
    HCURSOR PointerAt(POINT client, int style) {
        MoveMouseTo(window_, {client.x - 1, client.y});
        MoveMouseTo(window_, client);
        EXPECT_TRUE(WaitUntil([&] { return NumberProperty(window_, inboxhop::kPointerStyleProp) == style; }))
            << "style " << style;
        Settle(window_);
        CURSORINFO info = {sizeof(info), 0, nullptr, {}};
        EXPECT_TRUE(GetCursorInfo(&info));
        return info.hCursor;
    }
};

// Ends with `line` reported in the error report box.
void ExpectReport(const SeenBox& box, int line, const std::wstring& cause) {
    EXPECT_TRUE(IsErrorReport(box, line));
    EXPECT_NE(box.text.find(cause), std::wstring::npos) << box.text;
}

constexpr char kValidSkin[] = "[Test]\nwindow.back = #2A6F97\nframe.back = #DDE8F0\noption.text = #16293B\n"
                              "button.back = #F2C14E\nbutton.text = #1B1B1B\n";

TEST_F(Appearance, WithoutASkinFileTheWindowStaysWhiteAndUnskinned) {
    // A folder, a hidden file or a system file named o.cjs is no skin file, even when it holds a valid skin.
    const struct {
        SkinFile kind;
        const char* what;
    } cases[] = {
        {SkinFile::None, "no x folder"},
        {SkinFile::Folder, "a folder named o.cjs"},
        {SkinFile::HiddenFile, "a hidden o.cjs"},
        {SkinFile::SystemFile, "a system o.cjs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Launch(ProgramWith(c.kind, kValidSkin, PointerFile::None));
        EXPECT_TRUE(Boxes().empty()) << Boxes()[0].text;
        EXPECT_FALSE(Skinned());
        ExpectLook(kWhite, kWhite, kWhite, kWhite);
        // The caption is set all the same. (The icons cannot be asked for
        // across processes under Wine; the resources test sets them.)
        EXPECT_EQ(TextOf(window_), L"Inboxhop");
        TearDown();
        program_.reset();
    }
}

TEST_F(Appearance, ASkinFileAppliesItsColours) {
    Launch(ProgramWith(SkinFile::File, kValidSkin, PointerFile::None));
    EXPECT_TRUE(Boxes().empty()) << Boxes()[0].text;
    EXPECT_TRUE(Skinned());
    // The service buttons take the frame's colour.
    ExpectLook(RGB(0x2A, 0x6F, 0x97), RGB(0xDD, 0xE8, 0xF0), RGB(0xDD, 0xE8, 0xF0), RGB(0xF2, 0xC1, 0x4E));
    EXPECT_EQ(TextOf(window_), L"Inboxhop");
}

TEST_F(Appearance, ABrokenSkinFileIsReportedOnceUnderLine100AndTheWindowStillShows) {
    Launch(ProgramWith(SkinFile::File, "[Test]\nwindow.back = #2A6F97\nbutton.back = yellow\n", PointerFile::None));
    Settle(window_);
    ASSERT_EQ(Boxes().size(), 1u);
    ExpectReport(Boxes()[0], 100, L"line 3");
    EXPECT_FALSE(Skinned());
    // What was done before the skin failed stays: button face on the window,
    // the frame and the service buttons; the push button keeps its white.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ExpectLook(face, face, face, kWhite);
    // The rest of the start-up ran.
    EXPECT_EQ(TextOf(window_), L"Inboxhop");
    EXPECT_TRUE(Checked(0));
}

TEST_F(Appearance, TheShippedPointerShowsOverTheSetUpButtonOnly) {
    Launch(ProgramWith(SkinFile::None, "", PointerFile::Shipped));
    EXPECT_TRUE(Boxes().empty()) << Boxes()[0].text;
    Foreground();
    HCURSOR overMargin = PointerAt(kMargin, inboxhop::kPointerDefault);
    HCURSOR overButton = PointerAt(CentreInParent(SetUpButton()), inboxhop::kPointerCustom);
    EXPECT_NE(overButton, overMargin);
    // Back on the margin the default pointer returns.
    EXPECT_EQ(PointerAt(kMargin, inboxhop::kPointerDefault), overMargin);
}

TEST_F(Appearance, ABrokenPointerFileIsReportedUnderLine108AndNoImageIsSet) {
    Launch(ProgramWith(SkinFile::None, "", PointerFile::Broken));
    Settle(window_);
    ASSERT_EQ(Boxes().size(), 1u);
    ExpectReport(Boxes()[0], 108, L"");
    // The custom style over the push button has no image to show.
    Foreground();
    HCURSOR overMargin = PointerAt(kMargin, inboxhop::kPointerDefault);
    HCURSOR overButton = PointerAt(CentreInParent(SetUpButton()), inboxhop::kPointerCustom);
    EXPECT_EQ(overButton, overMargin);
}

TEST_F(Appearance, OnAMailLinkStartTheStepsRunBeforeTheHandOff) {
    const std::wstring program =
        ProgramWith(SkinFile::File, "[Test]\nwindow.back = #2A6F97\nwindow.text\n", PointerFile::Broken);
    ASSERT_FALSE(program.empty());
    ProgramRun run = RunProgram(browser_, L" \"mailto:someone@example.com\"", program);
    ASSERT_TRUE(run.exitCode.has_value()) << "the program did not end by itself";
    EXPECT_EQ(*run.exitCode, 0u);
    EXPECT_FALSE(run.windowShown);
    // Both boxes, in the order of the steps, and then the address.
    ASSERT_EQ(run.boxes.size(), 2u);
    ExpectReport(run.boxes[0], 100, L"line 3");
    ExpectReport(run.boxes[1], 108, L"");
    ASSERT_EQ(run.addresses.size(), 1u);
    EXPECT_EQ(run.addresses[0], L"https://mail.google.com/mail/?view=cm&tf=0&to=someone@example.com&su=&fs=1");
}

// Main windows made in this process.
int g_clicks = 0;
WNDPROC g_formProc = nullptr;

// Keeps the window's own click procedure out of the push button's tests: counts the presses the button reports instead.
LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kSetUpButtonId && HIWORD(wParam) == BN_CLICKED) {
        ++g_clicks;
        return 0;
    }
    return CallWindowProcW(g_formProc, hwnd, message, wParam, lParam);
}

// A main window made to be shown, its push button's presses counted.
class WindowHere : public ::testing::Test {
protected:
    void SetUp() override {
        mainWindow_ = std::make_unique<InboxhopWindow>(GetModuleHandleW(nullptr));
        ASSERT_TRUE(mainWindow_->Create());
        window_ = mainWindow_->hwnd();
        button_ = GetDlgItem(window_, kSetUpButtonId);
        ASSERT_NE(button_, nullptr);
        g_formProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
        g_clicks = 0;
    }
    void TearDown() override {
        mainWindow_.reset();
        // Destroying the window posts a quit message; keep it off the next test.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    void Mouse(UINT message, int x, int y) { SendMessageW(button_, message, 0, MAKELPARAM(x, y)); }
    // A key as the message loop hands it on: through the dialog manager,
    // and to the focused control when the dialog manager leaves it.
    void Key(UINT message, WPARAM key, bool repeat = false) {
        MSG msg = {GetFocus(), message, key, repeat ? 0x40000001 : 1, 0, {}};
        if (message == WM_KEYUP) msg.lParam |= 0xC0000000;
        if (!IsDialogMessageW(window_, &msg)) DispatchMessageW(&msg);
    }

    std::unique_ptr<InboxhopWindow> mainWindow_;
    HWND window_ = nullptr, button_ = nullptr;
};
using WindowFonts = WindowHere;
using SetUpButtonPress = WindowHere;
using ServiceButtons = WindowHere;

TEST_F(WindowFonts, ArialBoldNinePointAndElevenAndAQuarterForTheSetUpButton) {
    const int dpi = GetDeviceCaps(inboxhop::ScopedGetDC(nullptr).get(), LOGPIXELSY);
    const struct {
        int id;
        int hundredthsOfPoint;
    } controls[] = {
        {kFocusHolderId, 900},        {kServiceFrameId, 900},       {kServiceButtonId + 0, 900},
        {kServiceButtonId + 1, 900},  {kServiceButtonId + 2, 900},  {kServiceButtonId + 3, 900},
        {kSetUpButtonId, 1125},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(testing::Message() << "control " << c.id);
        HWND control = GetDlgItem(window_, c.id);
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
}

TEST_F(SetUpButtonPress, TheMouseClicksWhenReleasedOverTheButton) {
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

TEST_F(SetUpButtonPress, SpaceClicksOnReleaseAndEnterWhileFocused) {
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
    SetFocus(GetDlgItem(window_, kFocusHolderId));
    Key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(g_clicks, 2);
}

TEST_F(SetUpButtonPress, AccessibilityToolsSeeTheSystemsButtonNamedByItsCaption) {
    // The system's own button class: screen readers get its role and its "Press" action from the system. (Wine 8's
    // accessibility library has no button object of its own and answers as for any client area, so only the name
    // and state are checked here.)
    EXPECT_EQ(_wcsicmp(ClassOf(button_).c_str(), L"Button"), 0) << ClassOf(button_);
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

TEST_F(ServiceButtons, RepaintingOneLeavesItsOverlappingNeighbourWhole) {
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    HWND gmail = GetDlgItem(window_, kServiceButtonId), yahoo = GetDlgItem(window_, kServiceButtonId + 1);
    RECT a = RectInParent(gmail), b = RectInParent(yahoo), overlap;
    ASSERT_TRUE(IntersectRect(&overlap, &a, &b)) << "the layout lets the two overlap";
    const struct {
        HWND repainted, neighbour;
    } cases[] = {{gmail, yahoo}, {yahoo, gmail}};
    for (const auto& c : cases) {
        RedrawWindow(c.neighbour, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const RECT watched = RectInParent(c.neighbour);
        const std::vector<COLORREF> whole = ScreenPixels(window_, watched);
        RedrawWindow(c.repainted, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_TRUE(ScreenPixels(window_, watched) == whole)
            << "Option" << GetDlgCtrlID(c.repainted) - kServiceButtonId + 1 << " painted over its neighbour";
    }
}

// The window a mail-link start makes: message-only and without controls, yet able to become the full window should
// the start show it after all.
bool IsTopLevel(HWND hwnd) { return GetAncestor(hwnd, GA_PARENT) == GetDesktopWindow(); }

TEST(HandOffWindow, IsMessageOnlyAndKeepsTheChoiceUntilItIsShown) {
    ScratchOption option;
    InboxhopWindow mainWindow(GetModuleHandleW(nullptr));
    ASSERT_TRUE(mainWindow.Create(InboxhopWindow::Purpose::HandOff));
    EXPECT_FALSE(IsTopLevel(mainWindow.hwnd()));
    EXPECT_FALSE(mainWindow.HasControls());
    EXPECT_EQ(GetDlgItem(mainWindow.hwnd(), kServiceButtonId), nullptr);
    // Marking a service still stores the choice.
    inboxhop::ProgramActions(mainWindow).SelectService(2);
    EXPECT_EQ(option.Read(), L"3");
    EXPECT_TRUE(mainWindow.IsServiceSelected(2));
    EXPECT_FALSE(mainWindow.IsServiceSelected(0));
    mainWindow.MakeShowable();
    EXPECT_TRUE(IsTopLevel(mainWindow.hwnd()));
    ASSERT_TRUE(mainWindow.HasControls());
    HWND third = GetDlgItem(mainWindow.hwnd(), kServiceButtonId + 2);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(SendMessageW(third, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(GetDlgItem(mainWindow.hwnd(), kServiceButtonId), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(mainWindow.IsServiceSelected(2));
    // Centred on the screen, like a window made to be shown.
    RECT rc;
    GetWindowRect(mainWindow.hwnd(), &rc);
    EXPECT_NEAR((rc.left + rc.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((rc.top + rc.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    // And as large as one.
    InboxhopWindow shown(GetModuleHandleW(nullptr));
    ASSERT_TRUE(shown.Create(InboxhopWindow::Purpose::Show));
    EXPECT_EQ(ClientRect(mainWindow.hwnd()).right, ClientRect(shown.hwnd()).right);
    EXPECT_EQ(ClientRect(mainWindow.hwnd()).bottom, ClientRect(shown.hwnd()).bottom);
    ShowWindow(mainWindow.hwnd(), SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsWindowVisible(mainWindow.hwnd()));
}

TEST(HandOffWindow, AWindowMadeToBeShownHasItsControlsFromTheStart) {
    InboxhopWindow mainWindow(GetModuleHandleW(nullptr));
    ASSERT_TRUE(mainWindow.Create(InboxhopWindow::Purpose::Show));
    EXPECT_TRUE(IsTopLevel(mainWindow.hwnd()));
    EXPECT_TRUE(mainWindow.HasControls());
    EXPECT_FALSE(IsWindowVisible(mainWindow.hwnd()));
}

}  // namespace

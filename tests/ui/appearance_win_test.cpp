// How the program presents itself, in this process. The skin component on a window of the test's own, with the same
// kinds of controls as the main window: what it paints, what it answers to the controls' colour requests, which fonts
// it hands out, and how it fails. Then the resources of the built program, read back from the file as the shell reads
// them: the version block and the icon group.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/error_trap.h"
#include "base/scoped.h"
#include "colour_scheme.h"
#include "failure_text.h"
#include "program_run.h"
#include "ui/appearance.h"
#include "ui/inboxhop_window.h"
#include "ui/skin_framework.h"

namespace {

using namespace inboxhop;
using namespace testing_support;

constexpr POINT kInsideFrame = {140, 140};  // of the frame at 100,100 80x60
// What the test window answers itself to a colour request.
constexpr COLORREF kOwnTextColor = RGB(1, 2, 3);
// A message the test window counts, to see that its own handling still runs.
constexpr UINT kCountedMessage = WM_USER + 77;
int ownColorAnswers = 0, countedMessages = 0;

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
    std::wstring path = NewScratchFolder(L"skin") + L"\\o.cjs";
    WriteFileBytes(path, text);
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
        window_ = CreateTestWindow(L"InboxhopSkinTestWindow", TestWindowProc, L"skin test", 300, 200);
        ASSERT_NE(window_, nullptr);
        auto child = [&](const wchar_t* cls, DWORD style, RECT r = {0, 0, 50, 20}) {
            return CreateWindowExW(0, cls, L"x", WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
        };
        frame_ = child(L"BUTTON", BS_GROUPBOX, {100, 100, 180, 160});
        option_ = child(L"BUTTON", BS_AUTORADIOBUTTON);
        edit_ = child(L"EDIT", 0);
        label_ = child(L"STATIC", 0);
        button_ = child(L"BUTTON", kSetUpButtonStyle);
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

    // What erasing the window's background paints at `at`: by default a point outside the frame.
    COLORREF ErasedColor(POINT at = {10, 10}) {
        HDC memory = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateCompatibleBitmap(ScopedGetDC(nullptr).get(), 300, 200);
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

constexpr char kSkin[] = "[Test]\nwindow.back = #102030\nframe.back = #708090\noption.text = #405060\n"
                         "textbox.back = #0A0B0C\nframe.font = Arial, 12, bold\nbutton.font = Courier New, 10\n";

TEST_F(SkinComponent, PaintsAndAnswersForTheControlsAsItsSwitchesSay) {
    const struct {
        bool controls, fonts;
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
        EXPECT_NE(GetPropW(window_, kSkinAppliedProp), nullptr);
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
        // The window's own near-black would vanish on the text box's near-black: white instead.
        EXPECT_EQ(GetTextColor(dc_), RGB(255, 255, 255));
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
            EXPECT_EQ(lf.lfHeight, -MulDiv(12, GetDeviceCaps(ScopedGetDC(nullptr).get(), LOGPIXELSY), 72));
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

// The title-bar attributes the skin component sets while a RecordedTitleBar lives, recorded in place of the system's
// setter: Wine accepts them and shows nothing.
std::vector<std::pair<DWORD, COLORREF>> titleBarCalls;
HRESULT WINAPI RecordTitleBar(HWND, DWORD attribute, LPCVOID value, DWORD) {
    titleBarCalls.push_back({attribute, *static_cast<const COLORREF*>(value)});
    return S_OK;
}
struct RecordedTitleBar {
    RecordedTitleBar() { titleBarCalls.clear(); }
    ~RecordedTitleBar() { ReplaceWindowAttributeSetter(previous); }
    WindowAttributeSetter previous = ReplaceWindowAttributeSetter(&RecordTitleBar);
};

// A font wider than the controls were laid out for, and title-bar colours; applied with every switch on.
void ApplyWideSkin(SkinFramework& skin, HWND window) {
    skin.LoadSkin(WriteSkin("[Wide]\nwindow.back = #102030\nframe.font = Courier New, 14, bold\n"
                            "caption.back = #203040\ncaption.text = #F0E0D0\n"),
                  L"");
    skin.SetOptions(SkinFramework::kSkinControls);
    skin.SetApplyFonts(true);
    skin.SetApplyCaption(true);
    skin.ApplyWindow(window);
}
const decltype(titleBarCalls) kWideTitleBar = {{kDwmCaptionColor, RGB(0x20, 0x30, 0x40)},
                                               {kDwmTextColor, RGB(0xF0, 0xE0, 0xD0)}},
                              kSystemTitleBar = {{kDwmCaptionColor, kDwmColorDefault},
                                                 {kDwmTextColor, kDwmColorDefault}};

TEST_F(SkinComponent, AWideSkinUnderADarkSchemeIsLeftOutWhole) {
    // Wine cannot switch high contrast on; a dark scheme asks for the system's colours the same way.
    ColourScheme dark(RGB(0, 0, 0), RGB(255, 255, 255));
    RecordedTitleBar titleBar;
    SkinFramework skin;
    ApplyWideSkin(skin, window_);
    EXPECT_NE(GetPropW(window_, kSkinAppliedProp), nullptr);
    EXPECT_EQ(FaceOf(frame_), L"");
    EXPECT_NE(ErasedColor(), RGB(0x10, 0x20, 0x30));
    EXPECT_TRUE(titleBarCalls.empty());
}

TEST_F(SkinComponent, FollowsASchemeChangeWhileTheWindowIsOpenBothWays) {
    RecordedTitleBar titleBar;
    SkinFramework skin;
    ApplyWideSkin(skin, window_);
    EXPECT_EQ(titleBarCalls, kWideTitleBar);
    // The scheme is set in this process and the window told of it, as Windows tells every window.
    const std::pair<bool, UINT> changes[] = {
        {true, WM_SYSCOLORCHANGE}, {false, WM_SETTINGCHANGE}, {true, WM_THEMECHANGED}, {false, WM_SYSCOLORCHANGE}};
    std::optional<ColourScheme> scheme;
    for (const auto& [dark, message] : changes) {
        SCOPED_TRACE(testing::Message() << "dark " << dark << ", message " << message);
        titleBarCalls.clear();
        scheme.reset();
        if (dark) scheme.emplace(RGB(0, 0, 0), RGB(255, 255, 255));
        SendMessageW(window_, message, 0, 0);
        EXPECT_EQ(FaceOf(frame_), dark ? L"" : L"Courier New");
        EXPECT_EQ(ErasedColor() == RGB(0x10, 0x20, 0x30), !dark);
        // Told again of the same scheme, the window sets nothing more.
        SendMessageW(window_, WM_SETTINGCHANGE, 0, 0);
        EXPECT_EQ(titleBarCalls, dark ? kSystemTitleBar : kWideTitleBar);
    }
}

TEST_F(SkinComponent, AFailedLoadLeavesTheSkinInForceAndApplyNeedsOne) {
    SkinFramework skin;
    // Nothing loaded yet: applying fails and leaves the window alone.
    EXPECT_THROW(skin.ApplyWindow(window_), Failure);
    EXPECT_EQ(GetPropW(window_, kSkinAppliedProp), nullptr);
    skin.LoadSkin(WriteSkin(kSkin), L"");
    const std::wstring folder = NewScratchFolder(L"skin-folder");
    const struct {
        std::wstring path;
        const wchar_t* scheme;
        const wchar_t* describes;  // a piece of the failure's description
    } failures[] = {
        {WriteSkin("[Broken]\nwindow.back = blue\n"), L"", L"line 2"},
        {WriteSkin(kSkin), L"Missing", L"no scheme named \"Missing\""},
        {WriteSkin(std::string(kMaxSkinFileBytes + 1, ';')), L"", L"larger than"},
        {folder + L"\\absent.cjs", L"", L""},
        {folder, L"", L""},  // a folder cannot be read as a file
        {std::wstring(L"C:\\a\0b", 6), L"", L""},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(testing::Message() << "path " << f.path.c_str());
        const std::wstring failure = FailureText([&] { skin.LoadSkin(f.path, f.scheme); }).value_or(L"");
        EXPECT_FALSE(failure.empty()) << "loaded, or failed without a description";
        EXPECT_NE(failure.find(f.describes), std::wstring::npos) << failure.c_str();
        ASSERT_TRUE(skin.skin().has_value());
        EXPECT_EQ(skin.skin()->scheme, L"Test");
    }
    // A handle that is no window, or the window of another process.
    EXPECT_THROW(skin.ApplyWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0))), Failure);
    EXPECT_THROW(skin.ApplyWindow(GetDesktopWindow()), Failure);
}

TEST(ProgramResources, CarryTheVersionBlock) {
    const std::wstring program = ProgramPath();
    DWORD ignored = 0, size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00070000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00070000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    // The strings, in the language the translation table names.
    WORD* translation = nullptr;
    ASSERT_TRUE(
        VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    wchar_t prefix[64];
    swprintf(prefix, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {
        {L"CompanyName", L"Kestrelon"},        {L"ProductName", L"Inboxhop"},
        {L"InternalName", L"Inboxhop"},        {L"OriginalFilename", L"Inboxhop.exe"},
        {L"FileVersion", L"7.00"},             {L"ProductVersion", L"7.00"},
    };
    for (const auto& s : strings) {
        SCOPED_TRACE(testing::Message() << s.name);
        wchar_t* value = nullptr;
        const std::wstring path = prefix + std::wstring(s.name);
        ASSERT_TRUE(VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length));
        EXPECT_EQ(std::wstring(value), s.value);
    }
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconDir {
    WORD reserved, type, count;  // the entries follow
};
#pragma pack(pop)

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    auto* names = reinterpret_cast<std::vector<std::wstring>*>(param);
    names->push_back(IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<UINT_PTR>(name)) : name);
    return TRUE;
}

class ProgramFile : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    // A resource's bytes; empty when there is none.
    std::string Resource(LPCWSTR name, LPCWSTR type) const {
        HRSRC found = FindResourceW(module_, name, type);
        if (!found) return {};
        const auto* data = static_cast<const char*>(LockResource(LoadResource(module_, found)));
        return data ? std::string(data, SizeofResource(module_, found)) : std::string();
    }

    HMODULE module_ = nullptr;
};

TEST_F(ProgramFile, CarriesTheIconGroupFirstWithItsFourImages) {
    // The shell shows the first icon group: ours must be the only one, by id.
    std::vector<std::wstring> groups;
    EnumResourceNamesW(module_, RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&groups));
    ASSERT_EQ(groups, std::vector<std::wstring>{L"#" + std::to_wstring(kProgramIconId)});
    std::string group = Resource(MAKEINTRESOURCEW(kProgramIconId), RT_GROUP_ICON);
    ASSERT_GE(group.size(), sizeof(GroupIconDir));
    const auto* dir = reinterpret_cast<const GroupIconDir*>(group.data());
    EXPECT_EQ(dir->type, 1);
    ASSERT_EQ(dir->count, 4);
    ASSERT_GE(group.size(), sizeof(GroupIconDir) + 4 * sizeof(GroupIconEntry));
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(group.data() + sizeof(GroupIconDir));
    std::set<std::tuple<int, int>> sizesAndDepths;
    for (int i = 0; i < dir->count; ++i) {
        const GroupIconEntry& e = entries[i];
        const int size = e.width == 0 ? 256 : e.width;
        SCOPED_TRACE(testing::Message() << size << " x " << size);
        EXPECT_EQ(e.height, e.width);
        sizesAndDepths.insert({size, e.bitCount});
        std::string image = Resource(MAKEINTRESOURCEW(e.id), RT_ICON);
        ASSERT_EQ(image.size(), e.bytesInRes);
        if (size >= 48) {
            // Stored as PNG (32 bits a pixel), which Windows reads at any size: as bitmaps the three large images
            // would be much of the program's size.
            ASSERT_GE(image.size(), 24u);
            EXPECT_EQ(image.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
            auto big = [&](size_t at) {  // four bytes, the highest first
                const auto* b = reinterpret_cast<const unsigned char*>(image.data()) + at;
                return unsigned{b[0]} << 24 | unsigned{b[1]} << 16 | unsigned{b[2]} << 8 | unsigned{b[3]};
            };
            EXPECT_EQ(big(16), static_cast<unsigned>(size));  // IHDR width and height
            EXPECT_EQ(big(20), static_cast<unsigned>(size));
        } else {
            ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
            const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
            EXPECT_EQ(header->biWidth, size);
            EXPECT_EQ(header->biHeight, 2 * size);  // colour rows and mask rows
            EXPECT_EQ(header->biBitCount, e.bitCount);
        }
    }
    EXPECT_EQ(sizesAndDepths, (std::set<std::tuple<int, int>>{{256, 32}, {128, 32}, {48, 32}, {32, 24}}));
    // The system can make icons of it at the sizes the window asks for.
    for (int size : {16, 32, 48, 256}) {
        HANDLE icon = LoadImageW(module_, MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        if (icon) DestroyIcon(static_cast<HICON>(icon));
    }
}

TEST_F(ProgramFile, ItsIconBecomesTheWindowsBigAndSmallIcons) {
    HWND window = CreateWindowExW(0, L"STATIC", L"icons", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    SetWindowIcons(window, module_, kProgramIconId);
    const struct {
        WPARAM which;
        int sizeMetric;
    } icons[] = {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}};
    for (const auto& i : icons) {
        SCOPED_TRACE(testing::Message() << "icon " << i.which);
        auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, i.which, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        EXPECT_TRUE(info.fIcon);
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(i.sizeMetric));
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    // No such icon: a failure, and the window keeps what it had.
    HANDLE before = reinterpret_cast<HANDLE>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
    EXPECT_THROW(SetWindowIcons(window, module_, 999), Failure);
    EXPECT_EQ(reinterpret_cast<HANDLE>(SendMessageW(window, WM_GETICON, ICON_BIG, 0)), before);
    DestroyWindow(window);
}

}  // namespace

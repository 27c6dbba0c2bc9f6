// How the real program looks with and without the two optional files beside
// it (the skin x\o.cjs and the pointer HAND-M.CUR): each test copies the
// program into a folder of its own with the files it needs, starts it, and
// reads back what the screen shows, the boxes it raised and the pointer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "error_report.h"
#include "file_bytes.h"
#include "program_run.h"
#include "registry_scratch.h"
#include "ui/form1.h"
#include "ui/skin_framework.h"
#include "window_driving.h"
#include "windows_seen.h"
#include "started_process.h"

namespace {

using namespace testing_support;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr wchar_t kMailLink[] = L" \"mailto:someone@example.com\"";

// What the skin file in the program's folder is.
enum class SkinFile { None, File, Folder, HiddenFile, SystemFile };
// What HAND-M.CUR in the program's folder is.
enum class PointerFile { None, Shipped, Broken };

// A copy of the program in a folder of its own, with the optional files as
// asked. Returns the program's path, or an empty text on failure.
std::wstring ProgramWith(SkinFile skinKind, const std::string& skin, PointerFile pointer) {
    const std::wstring folder = NewScratchFolder(L"look");
    const std::wstring program = folder + L"\\Inboxhop.exe";
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
    const std::wstring cursor = folder + L"\\HAND-M.CUR";
    if (pointer == PointerFile::Shipped && !CopyFileW((BuildFolder() + L"\\HAND-M.CUR").c_str(), cursor.c_str(), FALSE)) {
        return L"";
    }
    if (pointer == PointerFile::Broken && !WriteFileBytes(cursor, "This is no cursor.\r\n")) return L"";
    return program;
}

// What the screen shows of a window's client area, copied in one go.
class ClientShot {
public:
    explicit ClientShot(HWND window) {
        RECT rc = ClientRect(window);
        width_ = rc.right;
        height_ = rc.bottom;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        inboxhop::ScopedGetDC screen(nullptr);
        HDC memory = CreateCompatibleDC(screen.get());
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap && bits) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            POINT origin = ClientToScreenPoint(window, {0, 0});
            BitBlt(memory, 0, 0, width_, height_, screen.get(), origin.x, origin.y, SRCCOPY);
            GdiFlush();
            const auto* pixels = static_cast<const DWORD*>(bits);
            pixels_.assign(pixels, pixels + static_cast<size_t>(width_) * height_);
            SelectObject(memory, old);
        }
        if (bitmap) DeleteObject(bitmap);
        DeleteDC(memory);
    }

    // The colour most pixels of `area` (client coordinates) have: for a
    // control, its background, whatever text or border it draws.
    COLORREF Dominant(RECT area) const {
        std::map<DWORD, int> counts;
        for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, height_); ++y) {
            for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, width_); ++x) {
                ++counts[pixels_[static_cast<size_t>(y) * width_ + x] & 0xFFFFFF];
            }
        }
        DWORD best = 0xFFFFFFFF;
        int most = 0;
        for (const auto& [pixel, count] : counts) {
            if (count > most) {
                most = count;
                best = pixel;
            }
        }
        if (best == 0xFFFFFFFF) return CLR_INVALID;
        return RGB((best >> 16) & 0xFF, (best >> 8) & 0xFF, best & 0xFF);
    }

private:
    int width_ = 0, height_ = 0;
    std::vector<DWORD> pixels_;  // 0x00RRGGBB
};

std::string Hex(COLORREF c) {
    char text[16];
    snprintf(text, sizeof(text), "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// The colours the window shows where it matters.
struct Look {
    COLORREF margin;       // the window's own background
    COLORREF frameInside;  // inside the frame, below the service buttons
    COLORREF options[4];   // the four service buttons
    COLORREF pushButton;
};

class Appearance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(browser_.ok());
        ASSERT_TRUE(option_.Set(L"1"));
    }

    void TearDown() override {
        if (program_) program_->Close(10000);
    }

    // Starts `program` without a mail link and waits for its window,
    // answering any box on the way.
    void Start(const std::wstring& program) {
        ASSERT_FALSE(program.empty()) << "could not prepare the program's folder";
        program_ = std::make_unique<ShownProgram>(program);
        window_ = program_->window();
        ASSERT_NE(window_, nullptr) << "the main window did not appear";
        Settle(window_);
    }

    std::vector<SeenBox> Boxes() const { return program_->boxes(); }
    HWND Control(int id) const { return ControlById(window_, id); }

    void Foreground() { ASSERT_TRUE(BringToForeground(window_)) << "the window did not come to the front"; }

    Look Read() {
        MoveMouseTo(window_, {-60, -60});  // keep the pointer off the window
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Settle(window_);
        ClientShot shot(window_);
        Look look;
        // Between the frame and the push button lies a strip of bare window.
        RECT frame = RectInParent(Control(inboxhop::kFrame1Id));
        RECT button = RectInParent(Control(inboxhop::kPushButton1Id));
        look.margin = shot.Dominant({0, frame.bottom + 1, ClientRect(window_).right, button.top - 1});
        RECT option = RectInParent(Control(inboxhop::kOption1Id));
        look.frameInside = shot.Dominant({frame.left + 4, option.bottom + 1, frame.right - 4, frame.bottom - 4});
        for (int i = 0; i < 4; ++i) look.options[i] = shot.Dominant(RectInParent(Control(inboxhop::kOption1Id + i)));
        look.pushButton = shot.Dominant(button);
        return look;
    }

    void ExpectLook(const Look& look, COLORREF window, COLORREF frame, COLORREF options, COLORREF button) {
        EXPECT_EQ(Hex(look.margin), Hex(window));
        EXPECT_EQ(Hex(look.frameInside), Hex(frame));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(Hex(look.options[i]), Hex(options)) << "Option" << i + 1;
        EXPECT_EQ(Hex(look.pushButton), Hex(button));
    }

    bool Skinned() const { return GetPropW(window_, inboxhop::kSkinAppliedProp) != nullptr; }

    // The pointer the system shows once it rests on `client`; the hover
    // rule's style must have become `style` by then.
    HCURSOR PointerAt(POINT client, int style) {
        MoveMouseTo(window_, {client.x - 1, client.y});
        MoveMouseTo(window_, client);
        EXPECT_TRUE(WaitUntil([&] { return NumberProperty(window_, inboxhop::kPointerStyleProp) == style; }))
            << "style " << style;
        Settle(window_);
        CURSORINFO info = {};
        info.cbSize = sizeof(info);
        EXPECT_TRUE(GetCursorInfo(&info));
        return info.hCursor;
    }

    ScratchOption option_;
    RecorderAsBrowser browser_;  // in case a start visits the home page
    std::unique_ptr<ShownProgram> program_;
    HWND window_ = nullptr;
};

// Ends with `line` reported in the error report box.
void ExpectReport(const SeenBox& box, int line, const std::wstring& cause) {
    EXPECT_TRUE(IsErrorReport(box, line));
    EXPECT_NE(box.text.find(cause), std::wstring::npos) << box.text;
}

constexpr char kValidSkin[] =
    "[Test]\n"
    "window.back = #2A6F97\n"
    "frame.back = #DDE8F0\n"
    "option.text = #16293B\n"
    "button.back = #F2C14E\n"
    "button.text = #1B1B1B\n";

TEST_F(Appearance, WithoutASkinFileTheWindowStaysWhiteAndUnskinned) {
    // A folder, a hidden file or a system file named o.cjs is no skin file,
    // even when it holds a valid skin.
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
        Start(ProgramWith(c.kind, kValidSkin, PointerFile::None));
        EXPECT_TRUE(Boxes().empty()) << Boxes()[0].text;
        EXPECT_FALSE(Skinned());
        ExpectLook(Read(), kWhite, kWhite, kWhite, kWhite);
        // The caption is set all the same. (The icons cannot be asked for
        // across processes under Wine; the resources test sets them.)
        EXPECT_EQ(TextOf(window_), L"Inboxhop");
        TearDown();
        program_.reset();
    }
}

TEST_F(Appearance, ASkinFileAppliesItsColours) {
    Start(ProgramWith(SkinFile::File, kValidSkin, PointerFile::None));
    EXPECT_TRUE(Boxes().empty()) << Boxes()[0].text;
    EXPECT_TRUE(Skinned());
    // The service buttons take the frame's colour.
    ExpectLook(Read(), RGB(0x2A, 0x6F, 0x97), RGB(0xDD, 0xE8, 0xF0), RGB(0xDD, 0xE8, 0xF0), RGB(0xF2, 0xC1, 0x4E));
    EXPECT_EQ(TextOf(window_), L"Inboxhop");
}

TEST_F(Appearance, ABrokenSkinFileIsReportedOnceUnderLine100AndTheWindowStillShows) {
    Start(ProgramWith(SkinFile::File, "[Test]\nwindow.back = #2A6F97\nbutton.back = yellow\n", PointerFile::None));
    Settle(window_);
    std::vector<SeenBox> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    ExpectReport(boxes[0], 100, L"line 3");
    EXPECT_FALSE(Skinned());
    // What was done before the skin failed stays: button face on the window,
    // the frame and the service buttons; the push button keeps its white.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ExpectLook(Read(), face, face, face, kWhite);
    // The rest of the start-up ran.
    EXPECT_EQ(TextOf(window_), L"Inboxhop");
    EXPECT_EQ(SendMessageW(Control(inboxhop::kOption1Id), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(Appearance, TheShippedPointerShowsOverThePushButtonOnly) {
    Start(ProgramWith(SkinFile::None, "", PointerFile::Shipped));
    EXPECT_TRUE(Boxes().empty()) << Boxes()[0].text;
    Foreground();
    RECT frame = RectInParent(Control(inboxhop::kFrame1Id));
    POINT margin = {4, frame.bottom + 4};
    POINT button = CentreInParent(Control(inboxhop::kPushButton1Id));
    HCURSOR overMargin = PointerAt(margin, inboxhop::kPointerDefault);
    HCURSOR overButton = PointerAt(button, inboxhop::kPointerCustom);
    EXPECT_NE(overButton, overMargin);
    // Back on the margin the default pointer returns.
    EXPECT_EQ(PointerAt(margin, inboxhop::kPointerDefault), overMargin);
}

TEST_F(Appearance, ABrokenPointerFileIsReportedUnderLine108AndNoImageIsSet) {
    Start(ProgramWith(SkinFile::None, "", PointerFile::Broken));
    Settle(window_);
    std::vector<SeenBox> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    ExpectReport(boxes[0], 108, L"");
    // The custom style over the push button has no image to show.
    Foreground();
    RECT frame = RectInParent(Control(inboxhop::kFrame1Id));
    HCURSOR overMargin = PointerAt({4, frame.bottom + 4}, inboxhop::kPointerDefault);
    HCURSOR overButton = PointerAt(CentreInParent(Control(inboxhop::kPushButton1Id)), inboxhop::kPointerCustom);
    EXPECT_EQ(overButton, overMargin);
}

TEST_F(Appearance, OnAMailLinkStartTheStepsRunBeforeTheHandOff) {
    const std::wstring program =
        ProgramWith(SkinFile::File, "[Test]\nwindow.back = #2A6F97\nwindow.text\n", PointerFile::Broken);
    ASSERT_FALSE(program.empty());
    ProgramRun run = RunProgram(browser_, kMailLink, program);
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

}  // namespace

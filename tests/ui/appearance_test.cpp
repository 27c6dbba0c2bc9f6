// How the program presents itself: its skin files read, and its application title shortened.
#include "ui/app_title.h"
#include "ui/skin_format.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "failure_text.h"

namespace inboxhop {
namespace {

// A file's text as UTF-16 little-endian, with its mark.
std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

// The failure's description; nothing when the file was accepted.
std::optional<std::wstring> ErrorOf(std::string_view bytes, std::wstring_view scheme = L"") {
    return testing_support::FailureText([&] { ParseSkin(bytes, scheme); });
}

TEST(ParseSkin, ReadsColoursAndFontsOfEveryPart) {
    Skin skin = ParseSkin(
        "; a comment\n"
        "# another\n"
        "[Slate]   ; the scheme's name\n"
        "window.back = #E9eef3\n"
        "  Caption.Text\t=\t#000000  \n"
        "frame.text = #2F4A63 ; dark blue\n"
        "option.font = Segoe UI, 9, bold\n"
        "textbox.font = Courier New, 10.5, italic, bold\n"
        "button.back=#102030\n", L"");
    EXPECT_EQ(skin.scheme, L"Slate");
    EXPECT_EQ(skin.Own(SkinPart::Window).back, (SkinColor{0xE9, 0xEE, 0xF3}));
    EXPECT_EQ(skin.Own(SkinPart::Caption).text, (SkinColor{0, 0, 0}));
    EXPECT_EQ(skin.Own(SkinPart::Frame).text, (SkinColor{0x2F, 0x4A, 0x63}));
    EXPECT_EQ(skin.Own(SkinPart::Option).font, (SkinFont{L"Segoe UI", 9, true, false}));
    EXPECT_EQ(skin.Own(SkinPart::TextBox).font, (SkinFont{L"Courier New", 10.5, true, true}));
    EXPECT_EQ(skin.Own(SkinPart::Button).back, (SkinColor{0x10, 0x20, 0x30}));
    EXPECT_FALSE(skin.Own(SkinPart::Button).text.has_value());
    EXPECT_FALSE(skin.Own(SkinPart::Window).font.has_value());
}

TEST(ParseSkin, ServiceButtonsTakeFromTheFrameAndTheFrameFromTheWindow) {
    Skin skin = ParseSkin("[s]\nwindow.back = #010101\nwindow.text = #020202\nwindow.font = Arial, 8\n"
                          "frame.back = #030303\noption.text = #040404\n", L"");
    SkinStyle frame = skin.StyleOf(SkinPart::Frame);
    EXPECT_EQ(frame.back, (SkinColor{3, 3, 3}));
    EXPECT_EQ(frame.text, (SkinColor{2, 2, 2}));
    EXPECT_EQ(frame.font, (SkinFont{L"Arial", 8, false, false}));
    SkinStyle option = skin.StyleOf(SkinPart::Option);
    EXPECT_EQ(option.back, (SkinColor{3, 3, 3}));
    EXPECT_EQ(option.text, (SkinColor{4, 4, 4}));
    EXPECT_EQ(option.font, frame.font);
    // The push button, the text box and the caption stand on their own.
    EXPECT_EQ(skin.StyleOf(SkinPart::Button), SkinStyle{});
    EXPECT_EQ(skin.StyleOf(SkinPart::TextBox), SkinStyle{});
    EXPECT_EQ(skin.StyleOf(SkinPart::Caption), SkinStyle{});
}

TEST(ParseSkin, PicksTheNamedSchemeOrTheFirst) {
    const std::string file = "[Day]\nwindow.back = #FFFFFF\n[Night]\nwindow.back = #000000\n";
    EXPECT_EQ(ParseSkin(file, L"").scheme, L"Day");
    EXPECT_EQ(ParseSkin(file, L"").Own(SkinPart::Window).back, (SkinColor{255, 255, 255}));
    Skin night = ParseSkin(file, L"nIGHT");
    EXPECT_EQ(night.scheme, L"Night");
    EXPECT_EQ(night.Own(SkinPart::Window).back, (SkinColor{0, 0, 0}));
    EXPECT_EQ(ErrorOf(file, L"Dusk"), L"The skin file is not valid: it has no scheme named \"Dusk\"");
    // A scheme may be empty: it changes nothing.
    EXPECT_EQ(ParseSkin("[Plain]\n", L"").Own(SkinPart::Window), SkinStyle{});
}

TEST(ParseSkin, AcceptsTheUsualEncodingsAndLineEnds) {
    const SkinColor blue{0, 0, 0xFF};
    // UTF-8 with a byte order mark, CR LF and lone CR line ends.
    Skin skin = ParseSkin("\xEF\xBB\xBF[a]\r\nwindow.back = #0000FF\rframe.font = Caf\xC3\xA9, 9\r\n", L"");
    EXPECT_EQ(skin.Own(SkinPart::Window).back, blue);
    EXPECT_EQ(skin.Own(SkinPart::Frame).font->face, L"Caf\u00e9");
    // UTF-16 little-endian with its mark, as older editors save "Unicode".
    EXPECT_EQ(ParseSkin(Utf16File(u"[a]\r\nwindow.back = #0000FF\r\n"), L"").Own(SkinPart::Window).back, blue);
    // A face name beyond the basic plane survives as one character, from UTF-8 and from a UTF-16 surrogate pair.
    for (const std::string& file : {std::string("[a]\nframe.font = \xF0\x9F\x98\x80, 9\n"),
                                    Utf16File(u"[a]\nframe.font = \U0001F600, 9\n")}) {
        EXPECT_EQ(ParseSkin(file, L"").Own(SkinPart::Frame).font->face, L"\U0001F600");
    }
}

TEST(ParseSkin, ReadsFontsAtTheLimits) {
    const std::pair<const char*, SkinFont> rows[] = {
        {"Arial, 1", {L"Arial", 1}},
        {"Arial, 72", {L"Arial", 72}},
        {"Arial, 11.25, ITALIC", {L"Arial", 11.25, false, true}},
        {"  Arial Narrow , 9. ,bold  ", {L"Arial Narrow", 9, true}},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde, 9", {L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde", 9}},
    };
    for (const auto& [value, font] : rows) {
        EXPECT_EQ(ParseSkin(std::string("[a]\nwindow.font = ") + value, L"").Own(SkinPart::Window).font, font) << value;
    }
}

TEST(ParseSkin, RefusesFilesThatAreNoSkinNamingTheLine) {
    using namespace std::string_view_literals;
    const struct {
        std::string_view file;
        const wchar_t* error;
    } cases[] = {
        {"; only a comment\n\n", L"it holds no [scheme]"},
        {"window.back = #FFFFFF\n", L"line 1: a setting comes before the first [scheme]"},
        {"[a\n", L"line 1: a scheme name ends with ]"},
        {"[  ]\n", L"line 1: a scheme needs a name"},
        {"[a] b\n", L"line 1: unexpected text after the scheme name"},
        {"[a]\n[A]\n", L"line 2: the scheme \"A\" appears twice"},
        {"[a]\nwindow.back #FFFFFF\n", L"line 2: expected a setting: part.setting = value"},
        {"[a]\n\nwindw.back = #FFFFFF\n", L"line 3: \"windw.back\" is not a skin setting"},
        {"[a]\ncaption.font = Arial, 9\n", L"line 2: \"caption.font\" is not a skin setting"},
        {"[a]\nwindow.back = #FFFFFF\nWindow.Back = #000000\n", L"line 3: \"window.back\" is set twice in this scheme"},
        {"[a]\nwindow.back = ; comment only\n", L"line 2: \"window.back\" has no value"},
        {"[a]\nwindow.back = #FFF\n", L"line 2: \"#FFF\" is not a colour written as #RRGGBB"},
        {"[a]\nwindow.back = #FFFFFG\n", L"line 2: \"#FFFFFG\" is not a colour written as #RRGGBB"},
        {"[a]\nwindow = #FFFFFF\n", L"line 2: \"window\" is not a skin setting"},
        // Lines counted alike at CR LF, LF and CR.
        {"[a]\r\n\r\nwindw.back = #FFFFFF\r\n", L"line 3: \"windw.back\" is not a skin setting"},
        {"[a]\r\rwindw.back = #FFFFFF", L"line 3: \"windw.back\" is not a skin setting"},
        {"[a]\n\rwindw.back = #FFFFFF", L"line 3: \"windw.back\" is not a skin setting"},
        {"[a]\nwindow.back = #FFFFFF;x\n", L"line 2: \"#FFFFFF;x\" is not a colour written as #RRGGBB"},
        {"[a]\nframe.font = Arial\n", L"line 2: a font is written as: name, size in points[, bold][, italic]"},
        {"[a]\nframe.font = ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef, 9\n", L"line 2: a font name has 1 to 31 characters"},
        {"[a]\nframe.font = Arial, 72.5\n", L"line 2: \"72.5\" is not a font size from 1 to 72 points"},
        {"[a]\nframe.font = Arial, .5\n", L"line 2: \".5\" is not a font size from 1 to 72 points"},
        {"[a]\nframe.font = Arial, ,bold\n", L"line 2: \"\" is not a font size from 1 to 72 points"},
        {"[a]\nframe.font = Arial, 1.2.3\n", L"line 2: \"1.2.3\" is not a font size from 1 to 72 points"},
        {"[a]\nframe.font = Arial, 99999999999999999999999\n",
         L"line 2: \"99999999999999999999999\" is not a font size from 1 to 72 points"},
        {"[a]\nframe.font = Arial, 9, heavy\n", L"line 2: \"heavy\" is not bold or italic"},
        // A fault in a scheme that is not the chosen one is still a fault.
        {"[a]\n[b]\nbutton.text = red\n", L"line 3: \"red\" is not a colour written as #RRGGBB"},
        // Binary files and broken encodings.
        {"[a]\n\0\n"sv, L"it is not a text file"},
        {"[a]\nframe.font = Caf\xE9, 9\n", L"it is not UTF-8 text"},
        {"[a]\n\xC0\xAF\n", L"it is not UTF-8 text"},          // overlong
        {"[a]\n\xE0\x80\xAF\n", L"it is not UTF-8 text"},      // overlong in three bytes
        {"[a]\n\xE0\x9F\xBF\n", L"it is not UTF-8 text"},      // overlong: U+07FF in three bytes
        {"[a]\n\xF0\x8F\xBF\xBF\n", L"it is not UTF-8 text"},  // overlong: U+FFFF in four bytes
        {"[a]\n\xF4\x90\x80\x80\n", L"it is not UTF-8 text"},  // beyond Unicode
        {"[a]\n\xC3\xC3\n", L"it is not UTF-8 text"},          // no continuation
        {"[a]\n\xED\xA0\x80\n", L"it is not UTF-8 text"},      // a surrogate
        {"[a]\n\xE2\x82", L"it is not UTF-8 text"},            // cut short
        {"\xFF\xFE[\0a\0]"sv, L"it is not UTF-16 text"},        // odd length
        {"\xFF\xFE\x00\xD8[\0"sv, L"it is not UTF-16 text"},    // a lone surrogate
        {"\xFF\xFE[\0\x00\xD8"sv, L"it is not UTF-16 text"},    // a first half at the end
        {"\xFF\xFE\x00\xDC\x00\xDC"sv, L"it is not UTF-16 text"},  // two second halves
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file));
        EXPECT_EQ(ErrorOf(c.file), std::wstring(L"The skin file is not valid: ") + c.error);
    }
    // Files beyond the size limit are refused before they are read; one exactly at the limit is read.
    std::string big = "[a]\n" + std::string(kMaxSkinFileBytes, ';');
    EXPECT_EQ(ErrorOf(big), L"The skin file is not valid: it is larger than 64 KB");
    big.resize(kMaxSkinFileBytes);
    EXPECT_EQ(ErrorOf(big), std::nullopt);
}

// The sample skin in the repository must stay a valid skin.
TEST(ParseSkin, ReadsTheSampleSkin) {
    std::string path = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().string() +
                       "/resources/skins/slate.cjs";
#ifdef _WIN32
    // Under Wine the source tree is reached through the drive that maps the Unix root.
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Skin skin = ParseSkin(bytes, L"");
    EXPECT_TRUE(skin.Own(SkinPart::Window).back.has_value());
    EXPECT_TRUE(skin.StyleOf(SkinPart::Option).back.has_value());
}

TEST(ShortenApplicationTitle, DropsWholeTrailingWordsUntilFortyCharactersRemain) {
    EXPECT_EQ(ShortenApplicationTitle(L"Inboxhop"), L"Inboxhop");
    EXPECT_EQ(ShortenApplicationTitle(L""), L"");
    const std::wstring forty(40, L'x');
    EXPECT_EQ(ShortenApplicationTitle(forty), forty);
    // 41 characters: the last word goes with its blank.
    EXPECT_EQ(ShortenApplicationTitle(std::wstring(36, L'a') + L" bcde"), std::wstring(36, L'a'));
    // Words go one at a time, re-testing the length after each.
    EXPECT_EQ(ShortenApplicationTitle(L"Inboxhop mail link handler for web mail services everywhere"),
              L"Inboxhop mail link handler for web mail");
    // Blanks at the end count as characters and go one at a time too.
    EXPECT_EQ(ShortenApplicationTitle(std::wstring(40, L'a') + L"  "), std::wstring(40, L'a'));
    EXPECT_EQ(ShortenApplicationTitle(std::wstring(39, L'a') + L"  "), std::wstring(39, L'a') + L" ");
}

TEST(ShortenApplicationTitle, CutsALongTitleWithoutBlanksToFortyCharacters) {
    EXPECT_EQ(ShortenApplicationTitle(std::wstring(41, L'x')), std::wstring(40, L'x'));
    // The blank is found, but what is left before it is still too long.
    EXPECT_EQ(ShortenApplicationTitle(std::wstring(45, L'y') + L" z"), std::wstring(40, L'y'));
    // A leading blank leaves an empty title rather than looping.
    EXPECT_EQ(ShortenApplicationTitle(L" " + std::wstring(45, L'y')), L"");
}

}  // namespace
}  // namespace inboxhop

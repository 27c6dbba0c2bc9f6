#include "ui/skin_format.h"

#include <vector>

#include "base/failure.h"

namespace inboxhop {

namespace {

constexpr std::wstring_view kPartNames[kSkinPartCount] = {L"window", L"caption", L"frame",
                                                          L"option", L"textbox", L"button"};

[[noreturn]] void Invalid(const std::wstring& why) { throw Failure(L"The skin file is not valid: " + why); }

[[noreturn]] void InvalidAt(size_t line, const std::wstring& why) {
    Invalid(L"line " + DecimalText(static_cast<long long>(line)) + L": " + why);
}

// Appends one Unicode code point as the platform's wide characters: UTF-16
// where wchar_t has 16 bits, the code point itself elsewhere.
void AppendCodePoint(std::wstring& out, char32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(cp));
}

std::wstring DecodeUtf8(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        char32_t cp;
        size_t extra;
        if (byte < 0x80) {
            cp = byte;
            extra = 0;
        } else if (byte >= 0xC2 && byte <= 0xDF) {
            cp = byte & 0x1F;
            extra = 1;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            cp = byte & 0x0F;
            extra = 2;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            cp = byte & 0x07;
            extra = 3;
        } else {
            Invalid(L"it is not UTF-8 text");
        }
        if (bytes.size() - i <= extra) Invalid(L"it is not UTF-8 text");
        for (size_t k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) Invalid(L"it is not UTF-8 text");
            cp = (cp << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not text.
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            Invalid(L"it is not UTF-8 text");
        }
        AppendCodePoint(out, cp);
        i += extra + 1;
    }
    return out;
}

std::wstring DecodeUtf16Le(std::string_view bytes) {
    if (bytes.size() % 2 != 0) Invalid(L"it is not UTF-16 text");
    std::wstring out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](size_t index) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * index]) |
                                     (static_cast<unsigned char>(bytes[2 * index + 1]) << 8));
    };
    const size_t count = bytes.size() / 2;
    for (size_t i = 0; i < count; ++i) {
        char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            AppendCodePoint(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            Invalid(L"it is not UTF-16 text");
        } else {
            AppendCodePoint(out, u);
        }
    }
    return out;
}

std::wstring DecodeText(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return DecodeUtf16Le(bytes.substr(2));
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return DecodeUtf8(bytes);
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// A value ends where a comment starts: a ';' after a blank.
std::wstring_view WithoutComment(std::wstring_view value) {
    for (size_t i = 1; i < value.size(); ++i) {
        if (value[i] == L';' && IsBlank(value[i - 1])) return value.substr(0, i);
    }
    return value;
}

std::wstring Quoted(std::wstring_view text) { return L"\"" + std::wstring(text) + L"\""; }

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    c = AsciiLower(c);
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

std::optional<SkinColor> ParseColor(std::wstring_view text) {
    if (text.size() != 7 || text[0] != L'#') return std::nullopt;
    int digits[6];
    for (size_t i = 0; i < 6; ++i) {
        digits[i] = HexDigit(text[i + 1]);
        if (digits[i] < 0) return std::nullopt;
    }
    return SkinColor{static_cast<std::uint8_t>(digits[0] * 16 + digits[1]),
                     static_cast<std::uint8_t>(digits[2] * 16 + digits[3]),
                     static_cast<std::uint8_t>(digits[4] * 16 + digits[5])};
}

// A size in points: digits with an optional fraction, such as 9 or 11.25.
std::optional<double> ParsePoints(std::wstring_view text) {
    double whole = 0;
    double scale = 0;  // 0 while in the integer part
    size_t digits = 0;
    for (wchar_t c : text) {
        if (c == L'.' && scale == 0) {
            scale = 1;
            continue;
        }
        if (c < L'0' || c > L'9') return std::nullopt;
        ++digits;
        if (scale == 0) {
            whole = whole * 10 + (c - L'0');
            if (whole > 1000) return std::nullopt;  // far beyond any font size; stops long digit runs
        } else {
            scale /= 10;
            whole += scale * (c - L'0');
        }
    }
    if (digits == 0) return std::nullopt;
    return whole;
}

std::vector<std::wstring_view> SplitOnCommas(std::wstring_view text) {
    std::vector<std::wstring_view> pieces;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(L',', start);
        pieces.push_back(Trim(text.substr(start, comma == std::wstring_view::npos ? std::wstring_view::npos
                                                                                  : comma - start)));
        if (comma == std::wstring_view::npos) return pieces;
        start = comma + 1;
    }
}

SkinFont ParseFont(size_t line, std::wstring_view text) {
    std::vector<std::wstring_view> pieces = SplitOnCommas(text);
    if (pieces.size() < 2) InvalidAt(line, L"a font is written as: name, size in points[, bold][, italic]");
    SkinFont font;
    if (pieces[0].empty() || pieces[0].size() > kMaxSkinFontFace) {
        InvalidAt(line, L"a font name has 1 to " + DecimalText(kMaxSkinFontFace) + L" characters");
    }
    font.face = std::wstring(pieces[0]);
    std::optional<double> points = ParsePoints(pieces[1]);
    if (!points || *points < kMinSkinFontPoints || *points > kMaxSkinFontPoints) {
        InvalidAt(line, Quoted(pieces[1]) + L" is not a font size from 1 to 72 points");
    }
    font.points = *points;
    for (size_t i = 2; i < pieces.size(); ++i) {
        if (SameIgnoringCase(pieces[i], L"bold")) {
            font.bold = true;
        } else if (SameIgnoringCase(pieces[i], L"italic")) {
            font.italic = true;
        } else {
            InvalidAt(line, Quoted(pieces[i]) + L" is not bold or italic");
        }
    }
    return font;
}

void Inherit(SkinStyle& style, const SkinStyle& from) {
    if (!style.back) style.back = from.back;
    if (!style.text) style.text = from.text;
    if (!style.font) style.font = from.font;
}

struct SchemeBeingRead {
    std::wstring name;
    Skin skin;
    bool wanted = false;
};

}  // namespace

SkinStyle Skin::StyleOf(SkinPart part) const {
    SkinStyle style = Own(part);
    if (part == SkinPart::Option) {
        Inherit(style, Own(SkinPart::Frame));
        part = SkinPart::Frame;
    }
    if (part == SkinPart::Frame) Inherit(style, Own(SkinPart::Window));
    return style;
}

Skin ParseSkin(std::string_view bytes, std::wstring_view scheme) {
    if (bytes.size() > kMaxSkinFileBytes) {
        Invalid(L"it is larger than " + DecimalText(kMaxSkinFileBytes / 1024) + L" KB");
    }
    const std::wstring text = DecodeText(bytes);
    if (text.find(L'\0') != std::wstring::npos) Invalid(L"it is not a text file");

    std::vector<std::wstring> names;  // every scheme seen, to refuse a name used twice
    std::optional<Skin> chosen;
    Skin* current = nullptr;          // the scheme being read, when it is the chosen one
    bool inScheme = false;
    std::vector<std::wstring> settingsSeen;

    size_t lineNumber = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of(L"\r\n", pos);
        if (end == std::wstring::npos) end = text.size();
        std::wstring_view line = Trim(std::wstring_view(text).substr(pos, end - pos));
        ++lineNumber;
        // A line ends at CR LF, LF or CR.
        pos = end + ((end + 1 < text.size() && text[end] == L'\r' && text[end + 1] == L'\n') ? 2 : 1);

        if (line.empty() || line[0] == L';' || line[0] == L'#') continue;

        if (line[0] == L'[') {
            size_t close = line.find(L']');
            if (close == std::wstring_view::npos) InvalidAt(lineNumber, L"a scheme name ends with ]");
            std::wstring_view rest = Trim(line.substr(close + 1));
            if (!rest.empty() && rest[0] != L';') InvalidAt(lineNumber, L"unexpected text after the scheme name");
            std::wstring_view name = Trim(line.substr(1, close - 1));
            if (name.empty()) InvalidAt(lineNumber, L"a scheme needs a name");
            for (const std::wstring& seen : names) {
                if (SameIgnoringCase(seen, name)) InvalidAt(lineNumber, L"the scheme " + Quoted(name) + L" appears twice");
            }
            names.emplace_back(name);
            inScheme = true;
            settingsSeen.clear();
            current = nullptr;
            if (!chosen && (scheme.empty() || SameIgnoringCase(scheme, name))) {
                chosen.emplace();
                chosen->scheme = std::wstring(name);
                current = &*chosen;
            }
            continue;
        }

        size_t equals = line.find(L'=');
        if (equals == std::wstring_view::npos) InvalidAt(lineNumber, L"expected a setting: part.setting = value");
        if (!inScheme) InvalidAt(lineNumber, L"a setting comes before the first [scheme]");
        std::wstring key(Trim(line.substr(0, equals)));
        for (wchar_t& c : key) c = AsciiLower(c);
        std::wstring_view value = Trim(WithoutComment(line.substr(equals + 1)));

        size_t dot = key.find(L'.');
        std::wstring_view partName = std::wstring_view(key).substr(0, dot);
        std::wstring_view settingName =
            dot == std::wstring::npos ? std::wstring_view() : std::wstring_view(key).substr(dot + 1);
        size_t part = kSkinPartCount;
        for (size_t i = 0; i < kSkinPartCount; ++i) {
            if (partName == kPartNames[i]) part = i;
        }
        bool known = part < kSkinPartCount &&
                     (settingName == L"back" || settingName == L"text" ||
                      (settingName == L"font" && part != static_cast<size_t>(SkinPart::Caption)));
        if (!known) InvalidAt(lineNumber, Quoted(key) + L" is not a skin setting");
        for (const std::wstring& seen : settingsSeen) {
            if (seen == key) InvalidAt(lineNumber, Quoted(key) + L" is set twice in this scheme");
        }
        settingsSeen.push_back(key);
        if (value.empty()) InvalidAt(lineNumber, Quoted(key) + L" has no value");

        SkinStyle parsed;
        if (settingName == L"font") {
            parsed.font = ParseFont(lineNumber, value);
        } else {
            std::optional<SkinColor> color = ParseColor(value);
            if (!color) InvalidAt(lineNumber, Quoted(value) + L" is not a colour written as #RRGGBB");
            (settingName == L"back" ? parsed.back : parsed.text) = color;
        }
        if (current) Inherit(current->parts[part], parsed);
    }

    if (names.empty()) Invalid(L"it holds no [scheme]");
    if (!chosen) Invalid(L"it has no scheme named " + Quoted(scheme));
    return *chosen;
}

}  // namespace inboxhop

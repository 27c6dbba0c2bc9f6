// The skin file format read by the skin component. Pure text, so that it is
// unit-tested natively.
//
// A skin file is a small text file (UTF-8, with or without a byte order
// mark, or UTF-16 little-endian with its mark) of one or more schemes. Each
// scheme starts with its name in brackets and sets colours and fonts of the
// parts of the main window:
//
//   ; comment (also after a value, following a blank)
//   # comment (whole lines only)
//   [Slate]
//   window.back  = #E9EEF3
//   frame.text   = #2F4A63
//   option.font  = Segoe UI, 9, bold
//   button.back  = #2F4A63
//
// Parts: window, caption (the title bar), frame, option (the service
// buttons), textbox and button (the set-up button). Settings: back and text
// (colours as #RRGGBB) and font (face, size in points, then optionally bold
// and italic); the caption has no font. A value the frame does not set is
// taken from the window, and one the option buttons do not set from the
// frame: the option buttons sit on the frame, and the frame on the window.
// Anything the scheme does not set keeps the window's own look.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace inboxhop {

// A larger file is not a skin file; reading stops before parsing it.
inline constexpr size_t kMaxSkinFileBytes = 64 * 1024;
// Font names are limited by the system's font description.
inline constexpr size_t kMaxSkinFontFace = 31;
inline constexpr double kMinSkinFontPoints = 1;
inline constexpr double kMaxSkinFontPoints = 72;

struct SkinColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const SkinColor&) const = default;
};

struct SkinFont {
    std::wstring face;
    double points = 0;
    bool bold = false;
    bool italic = false;
    bool operator==(const SkinFont&) const = default;
};

enum class SkinPart { Window, Caption, Frame, Option, TextBox, Button };
inline constexpr size_t kSkinPartCount = 6;

struct SkinStyle {
    std::optional<SkinColor> back;
    std::optional<SkinColor> text;
    std::optional<SkinFont> font;
    bool operator==(const SkinStyle&) const = default;
};

struct Skin {
    std::wstring scheme;  // the name of the scheme that was read
    std::array<SkinStyle, kSkinPartCount> parts;

    // What the scheme itself sets for a part.
    const SkinStyle& Own(SkinPart part) const { return parts[static_cast<size_t>(part)]; }
    SkinStyle& Own(SkinPart part) { return parts[static_cast<size_t>(part)]; }
    // The part's style with unset values taken from the part it sits on.
    SkinStyle StyleOf(SkinPart part) const;
};

// Reads the scheme named `scheme` (compared without regard to case) from a
// skin file's bytes, or the file's first scheme when `scheme` is empty. The
// whole file must be well formed, not only that scheme. Throws Failure with
// a description that names the line at fault.
Skin ParseSkin(std::string_view bytes, std::wstring_view scheme);

}  // namespace inboxhop

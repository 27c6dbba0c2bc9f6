// The skin component: reads a skin file (see skin_format.h)
// and draws a window and its controls in the skin's colours and fonts.
//
// It is used in five steps, in this order:
//   LoadSkin(path, scheme)   reads and checks the file; an empty scheme name
//                            means the file's first scheme. Fails on a file
//                            that cannot be read or is no skin; a skin loaded
//                            before stays loaded then.
//   Options / SetOptions     a word of option bits. kSkinControls: skin the
//                            window's controls (frame, option buttons, text
//                            box, set-up button), not only the window's own
//                            background. The other bits are kept as written
//                            and mean nothing yet.
//   SetApplyFonts(true)      give the skinned controls the skin's fonts too;
//                            without it they keep their own.
//   SetApplyCaption(true)    colour the title bar as the skin says, where the
//                            system lets a program colour it (Windows 11);
//                            elsewhere nothing happens.
//   ApplyWindow(window)      from now on draws the window in the loaded skin,
//                            for the window's life. Applying again replaces
//                            the skin in force.
//
// The component hooks the window's message handling: it paints the
// background and answers the controls' colour requests itself, and hands
// every other message to the window. A skinned window carries the window
// property kSkinAppliedProp, so tools and tests can tell it is skinned.
//
// Whenever the window draws in the system's colours (high contrast, a dark
// scheme: UseSystemColors), the whole skin stays off: its colours, fonts,
// plain drawing and title-bar colours. When the scheme changes while the
// window is open (WM_SYSCOLORCHANGE, WM_SETTINGCHANGE, WM_THEMECHANGED),
// the skin comes off, giving the controls back their own fonts and the
// title bar the system's colours, or goes back on, and the window repaints.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "ui/skin_format.h"

namespace inboxhop {

inline constexpr wchar_t kSkinAppliedProp[] = L"Inboxhop.Skin";

// The title bar's attributes that the skin sets (Windows 11 understands
// them, earlier systems ignore them), and the value that gives one back to
// the system.
inline constexpr DWORD kDwmCaptionColor = 35;
inline constexpr DWORD kDwmTextColor = 36;
inline constexpr COLORREF kDwmColorDefault = 0xFFFFFFFF;

// How the component sets a title-bar attribute: dwmapi's
// DwmSetWindowAttribute, null where the system lacks it. Tests put a
// recorder in its place, as Wine accepts the call and shows nothing.
// Returns the setter before.
using WindowAttributeSetter = HRESULT(WINAPI*)(HWND window, DWORD attribute, LPCVOID value, DWORD size);
WindowAttributeSetter ReplaceWindowAttributeSetter(WindowAttributeSetter setter);

class SkinFramework {
public:
    static constexpr std::int32_t kSkinControls = 1;

    void LoadSkin(std::wstring_view path, std::wstring_view scheme);
    std::int32_t Options() const { return options_; }
    void SetOptions(std::int32_t options) { options_ = options; }
    void SetApplyFonts(bool apply) { applyFonts_ = apply; }
    void SetApplyCaption(bool apply) { applyCaption_ = apply; }
    void ApplyWindow(HWND window);

    const std::optional<Skin>& skin() const { return skin_; }

private:
    std::optional<Skin> skin_;
    std::int32_t options_ = 0;
    bool applyFonts_ = false;
    bool applyCaption_ = false;
};

// The colour a skin colour stands for.
inline COLORREF ToColorRef(const SkinColor& color) { return RGB(color.red, color.green, color.blue); }

}  // namespace inboxhop

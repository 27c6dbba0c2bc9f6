// How well one colour reads on another: the WCAG contrast ratio, from 1 (the
// same luminance) to 21 (black on white). Colours are 0x00BBGGRR, the
// layout of a Windows COLORREF.
#pragma once

#include <cstdint>

namespace inboxhop {

// The least ratio at which normal-sized text reads well (WCAG level AA).
inline constexpr double kReadableContrast = 4.5;

double ContrastRatio(std::uint32_t a, std::uint32_t b);

// Black or white, whichever reads better on `back`.
std::uint32_t BlackOrWhiteOn(std::uint32_t back);

}  // namespace inboxhop

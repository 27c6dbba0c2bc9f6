#include "ui/contrast.h"

#include <algorithm>

namespace inboxhop {

namespace {

// The fifth root of v in (0, 1], by Newton's method: the program has no
// other use for the maths library's pow, which would add to its size.
double FifthRoot(double v) {
    double r = 1.0;
    for (int i = 0; i < 40; ++i) r -= (r * r * r * r * r - v) / (5.0 * r * r * r * r);
    return r;
}

// The relative luminance of an sRGB colour.
double Luminance(std::uint32_t color) {
    auto linear = [](std::uint32_t channel) {
        double c = static_cast<double>(channel & 0xFF) / 255.0;
        if (c <= 0.04045) return c / 12.92;
        double base = (c + 0.055) / 1.055, square = base * base;
        return square * FifthRoot(square);  // base to the power 2.4
    };
    return 0.2126 * linear(color) + 0.7152 * linear(color >> 8) + 0.0722 * linear(color >> 16);
}

}  // namespace

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
    double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::uint32_t BlackOrWhiteOn(std::uint32_t back) {
    return ContrastRatio(back, 0) >= ContrastRatio(back, 0xFFFFFF) ? 0 : 0xFFFFFF;
}

}  // namespace inboxhop

#include "ui/contrast.h"

#include <gtest/gtest.h>

namespace {

using inboxhop::BlackOrWhiteOn;
using inboxhop::ContrastRatio;

TEST(Contrast, FollowsTheWcagRatioInEitherOrder) {
    // Colours are 0x00BBGGRR: 0x0000FF is pure red, 0xFF0000 pure blue.
    const struct {
        std::uint32_t a, b;
        double ratio;
    } cases[] = {{0x000000, 0xFFFFFF, 21.0}, {0xFFFFFF, 0xFFFFFF, 1.0}, {0x767676, 0xFFFFFF, 4.54},
                 {0x777777, 0xFFFFFF, 4.48}, {0x0000FF, 0xFFFFFF, 4.0},  {0xFF0000, 0x000000, 2.44}};
    for (const auto& c : cases) {
        EXPECT_NEAR(ContrastRatio(c.a, c.b), c.ratio, 0.01) << std::hex << c.a << " on " << c.b;
        EXPECT_DOUBLE_EQ(ContrastRatio(c.a, c.b), ContrastRatio(c.b, c.a));
    }
    EXPECT_EQ(BlackOrWhiteOn(0xF0E8DD), 0u);
    EXPECT_EQ(BlackOrWhiteOn(0x976F2A), 0xFFFFFFu);
}

}  // namespace

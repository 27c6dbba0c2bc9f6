#include "app/home_page.h"

#include <gtest/gtest.h>

namespace inboxhop {
namespace {

TEST(HomePage, DrawCoversOneToOneHundredEvenly) {
    EXPECT_EQ(HomePageDraw(0.0), 1);
    EXPECT_EQ(HomePageDraw(0.0099), 1);
    EXPECT_EQ(HomePageDraw(0.0601), 7);
    EXPECT_EQ(HomePageDraw(0.0699), 7);
    EXPECT_EQ(HomePageDraw(0.0701), 8);
    EXPECT_EQ(HomePageDraw(0.999999), 100);
    EXPECT_EQ(HomePageDraw(1.0), 100);  // out of the draw's range, still kept in bounds
    int sevens = 0;
    // Draws in the middle of a thousand equal slices of the interval.
    for (int i = 0; i < 1000; ++i) sevens += IsHomePageDraw(HomePageDraw((i + 0.5) / 1000.0));
    EXPECT_EQ(sevens, 10);  // one draw in a hundred
}

TEST(HomePage, CommandQuotesTheAddressForTheExplorer) {
    EXPECT_EQ(HomePageCommand(), L"explorer \"https://www.kestrelon.com/\"");
}

}  // namespace
}  // namespace inboxhop

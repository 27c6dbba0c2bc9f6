// The occasional visit to the maker's home page.
#pragma once

#include <string>
#include <string_view>

#include "base/product.h"

namespace inboxhop {

// The number drawn for a start, 1 to 100, from a uniform draw in [0, 1).
int HomePageDraw(double uniform);

// Whether a start with this draw visits the home page (one start in 100).
inline bool IsHomePageDraw(int draw) { return draw == 7; }

// The command line that opens the home page through the system's explorer.
std::wstring HomePageCommand();

// Draws a number from a generator seeded with the time of day and, on a 7,
// starts the explorer with the home page, minimized, without waiting.
// Throws Failure when the explorer cannot be started.
void VisitHomePage();

}  // namespace inboxhop

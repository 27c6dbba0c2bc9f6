#include "ui/app_title.h"

#include <gtest/gtest.h>

namespace inboxhop {
namespace {

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

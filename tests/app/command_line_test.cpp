#include "app/command_line.h"

#include <gtest/gtest.h>

namespace inboxhop {
namespace {

TEST(CommandLineText, IsEverythingAfterTheProgramPathAndOneSeparator) {
    struct Case {
        const wchar_t* whole;
        const wchar_t* expected;
    } cases[] = {
        {L"\"C:\\Program Files\\Inboxhop\\Inboxhop.exe\" \"mailto:a@b.c\"", L"\"mailto:a@b.c\""},
        {L"C:\\Inboxhop\\Inboxhop.exe mailto:a@b.c", L"mailto:a@b.c"},
        {L"Inboxhop.exe\tx", L"x"},
        // Nothing after the path: empty, whether quoted or not.
        {L"\"C:\\x y\\Inboxhop.exe\"", L""},
        {L"Inboxhop.exe", L""},
        {L"", L""},
        // Only the one separator goes: further blanks are the argument.
        {L"\"C:\\Inboxhop.exe\"    ", L"   "},
        {L"Inboxhop.exe  \"mailto:a@b.c\"  ", L" \"mailto:a@b.c\"  "},
        // An argument glued to the quoted path.
        {L"\"C:\\Inboxhop.exe\"mailto:a", L"mailto:a"},
        // An unclosed quote: all of it is the path.
        {L"\"C:\\Inboxhop.exe mailto:a", L""},
        // Quotes inside the argument are kept as they are.
        {L"a.exe \"\"\"x\"", L"\"\"\"x\""},
    };
    for (const Case& c : cases) EXPECT_EQ(CommandLineText(c.whole), c.expected) << "whole: " << c.whole;
}

}  // namespace
}  // namespace inboxhop

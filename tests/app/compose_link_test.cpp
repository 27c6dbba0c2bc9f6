#include "app/compose_link.h"

#include <gtest/gtest.h>

namespace inboxhop {
namespace {

struct CleanCase {
    const wchar_t* input;
    const wchar_t* expected;
};

TEST(CleanMailArgument, RemovesSchemeWordsThenQuotesThenEndSpaces) {
    const CleanCase cases[] = {
        // The usual shape: a quoted link.
        {L"\"mailto:someone@example.com\"", L"someone@example.com"},
        // The scheme word in any letter case, with or without quotes.
        {L"\"MAILTO:someone@example.com\"", L"someone@example.com"},
        {L"MailTo:someone@example.com", L"someone@example.com"},
        {L"mAiLtO:someone@example.com", L"someone@example.com"},
        // Every occurrence goes, also inside the query.
        {L"mailto:a@b.c?cc=mailto:d@e.f&body=MAILTO:", L"a@b.c?cc=d@e.f&body="},
        // A single pass: a scheme word formed by a removal stays.
        {L"mamailto:ilto:x@y.z", L"mailto:x@y.z"},
        // Quotes go only after the scheme word was looked for.
        {L"mail\"to:x@y.z", L"mailto:x@y.z"},
        {L"\"\"\"x\"@\"y\"", L"x@y"},
        // Spaces at the ends go, inside or outside the quotes; spaces within stay; tabs stay even at the ends.
        {L"  \"  mailto:a b@c.d  \"  ", L"a b@c.d"},
        {L"\tmailto:x@y.z\t", L"\tx@y.z\t"},
        {L" \t x \t ", L"\t x \t"},
        // Nothing left.
        {L"\"mailto:\"", L""},
        {L"\"\"", L""},
        {L"   ", L""},
        {L"", L""},
        // Not a mail link: cleaned the same way.
        {L"\"hello world\"", L"hello world"},
        // A partial scheme word at the end is kept.
        {L"x mailto", L"x mailto"},
        {L"mailto:", L""},
        // Characters beyond ASCII survive, and no non-ASCII letter is taken for part of the scheme word.
        {L"mailto:\u6d4b\u8bd5@\u4f8b\u5b50.cn", L"\u6d4b\u8bd5@\u4f8b\u5b50.cn"},
        {L"ma\u0130lto:x", L"ma\u0130lto:x"},
        {L"mailto:\U0001F600@x.y", L"\U0001F600@x.y"}};
    for (const CleanCase& c : cases) EXPECT_EQ(CleanMailArgument(c.input), c.expected) << "input: " << c.input;
}

TEST(BuildComposeLink, BuildsEachServiceTemplateExactly) {
    const std::wstring r = L"someone@example.com";
    EXPECT_EQ(BuildComposeLink(L"1", r), L"\"https://mail.google.com/mail/?view=cm&tf=0&to=someone@example.com&su=&fs=1\"");
    EXPECT_EQ(BuildComposeLink(L"2", r), L"\"http://compose.mail.yahoo.com/?To=someone@example.com&subj=\"");
    EXPECT_EQ(BuildComposeLink(L"3", r), L"\"http://mail.live.com/default.aspx?rru=compose?to=someone@example.com\"");
    EXPECT_EQ(BuildComposeLink(L"4", r),
              L"\"http://mail.aol.com/30361-111/aol-1/en-us/compose-message.aspx?to=someone@example.com&subject=\"");
}

TEST(BuildComposeLink, PutsTheRecipientInUnchanged) {
    // A query stays inside the recipient; nothing is encoded or escaped.
    EXPECT_EQ(BuildComposeLink(L"1", L"a@b.c?subject=Hi there&body=%20x"),
              L"\"https://mail.google.com/mail/?view=cm&tf=0&to=a@b.c?subject=Hi there&body=%20x&su=&fs=1\"");
    EXPECT_EQ(BuildComposeLink(L"3", L""), L"\"http://mail.live.com/default.aspx?rru=compose?to=\"");
    EXPECT_EQ(BuildComposeLink(L"2", L"\u6d4b\u8bd5@\u4f8b\u5b50.cn"),
              L"\"http://compose.mail.yahoo.com/?To=\u6d4b\u8bd5@\u4f8b\u5b50.cn&subj=\"");
}

TEST(BuildComposeLink, OnlyTheFourExactCodesSelectAService) {
    for (const wchar_t* choice : {L"", L"0", L"5", L" 1", L"1 ", L"01", L"+1", L"١", L"12", L"a"}) {
        EXPECT_FALSE(BuildComposeLink(choice, L"x@y.z").has_value()) << "choice \"" << choice << "\"";
    }
    // An embedded NUL is part of the text, so "1\0" is no code either.
    EXPECT_FALSE(BuildComposeLink(std::wstring_view(L"1\0", 2), L"x").has_value());
}

}  // namespace
}  // namespace inboxhop

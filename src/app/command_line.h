// The argument text of a whole Windows command line. Pure text.
#pragma once

#include <string>
#include <string_view>

namespace inboxhop {

// Everything after the program's own path on `whole`, without the one blank
// or tab that separates the two. The path ends at its closing double quote
// when it starts with one, otherwise at the first blank or tab. Further
// blanks are kept, so a command line of only blanks after the path is not
// empty.
std::wstring CommandLineText(std::wstring_view whole);

}  // namespace inboxhop

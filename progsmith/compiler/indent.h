#pragma once
// Indentation of a decompiled program: one blank per open block in front of each line.

#include <string>
#include <string_view>

namespace progsmith {

// Indents every line of `prog` ended by a CR (LF characters are ignored, text after the last CR
// is dropped). A line whose first word closes a block (ENDWHILE, LOOPWHILE, ENDIF, ELSE...,
// ENDSUB) is written one level further out; a line that opens one (WHILE, IF, ELSE...,
// REPEAT, SUB) indents the lines after it. Each line of the result ends in CR LF.
std::string AddSpacesToProg(std::string_view prog);

} // namespace progsmith

// Line splitting of MTEXT strings, shared by the text box of post-processing and the renderer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrel::dxf {

// Fills `lines` with the lines of an MTEXT string ("\P", "\p" and "^J" break lines; a piece
// that begins with a double quote is a quoted string) and returns their number.
int SplitMTextLines(std::string_view text, std::vector<std::string>& lines);

}  // namespace kestrel::dxf

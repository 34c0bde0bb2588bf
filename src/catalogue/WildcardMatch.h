#pragma once

#include <string_view>

namespace kestrel::catalogue {

// Matches a file name against a mask with the wildcards * (any run of characters) and ?
// (exactly one character), ignoring the case of ASCII letters. ? takes a whole UTF-8 character;
// in a name that is not valid UTF-8 each invalid byte is one character. "*.*" matches every
// name, with or without a dot, as on Windows.
bool MatchesMask(std::string_view mask, std::string_view name);

}  // namespace kestrel::catalogue

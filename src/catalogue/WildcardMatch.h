#pragma once

#include <string_view>

namespace kestrel::catalogue {

// Matches a file name against a mask with the wildcards * (any run of characters) and ?
// (exactly one character), ignoring the case of ASCII letters. Names and masks are UTF-8; ?
// takes a whole character. "*.*" matches every name, with or without a dot, as on Windows.
bool MatchesMask(std::string_view mask, std::string_view name);

}  // namespace kestrel::catalogue

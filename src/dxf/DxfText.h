// Text values of DXF files: UTF-8 checking and the "\U+XXXX" escapes of text entities.
#pragma once

#include <string>
#include <string_view>

#include "dxf/SharedString.h"

namespace kestrel::dxf {

// `bytes` as UTF-8, with every invalid sequence replaced by U+FFFD.
std::string Utf8Lenient(std::string_view bytes);

// Replaces each "\U+" and the four characters after it by the character of that hexadecimal
// code (U+0000 when they are not a hexadecimal number; fewer characters at the end of the
// text). Escapes that make a UTF-16 surrogate pair become that one character; a lone
// surrogate becomes U+FFFD.
void DecodeUnicodeEscapes(std::string& text);
void DecodeUnicodeEscapes(SharedString& text);

}  // namespace kestrel::dxf

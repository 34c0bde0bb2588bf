// Numbers of DXF values, parsed from the bytes without locale: the period is the decimal
// separator whatever the process's locale says. A value is a number only when all of it is.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrel::dxf {

// A finite decimal floating-point number, optionally signed; "inf", "nan" and values beyond
// the range of double are not numbers. Values too small for a double read as zero.
bool ParseReal(std::string_view text, double& out);

// A decimal integer within 32 bits, optionally signed.
bool ParseInt32(std::string_view text, int32_t& out);

// A decimal integer within 32 bits, stored in a 16-bit field as a 16-bit assignment does.
bool ParseInt16(std::string_view text, int16_t& out);

// The group code of a code line, blanks around it ignored, or -999 when the line is not an
// integer.
int ParseGroupCodeSlow(std::string_view line);
inline int ParseGroupCode(std::string_view line) {
  // The common case, leading blanks and one to four digits, inline: every pair has a code.
  const char* p = line.data();
  const char* const end = p + line.size();
  while (p != end && *p == ' ')
    ++p;
  const char* const digits = p;
  int code = 0;
  while (p != end && static_cast<unsigned>(*p - '0') <= 9 && p - digits < 4)
    code = code * 10 + (*p++ - '0');
  return p == end && p != digits ? code : ParseGroupCodeSlow(line);
}

}  // namespace kestrel::dxf

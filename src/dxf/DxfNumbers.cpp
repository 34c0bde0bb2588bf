#include "dxf/DxfNumbers.h"

#include "dxf/DxfLines.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <system_error>

namespace kestrel::dxf {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Plain decimals ("37150.0", "-0.25"), the bulk of a drawing's values, without from_chars'
// general machinery. Exact: when the digits, less the trailing zeros of the fraction, form an
// integer of at most 2^53, a double holds it and the power of ten exactly, so the one
// division rounds correctly. False when the text is anything else or the digits are more;
// the caller then takes the general path.
bool ParsePlainDecimal(const char* first, const char* last, double& out) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                       1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
  const bool negative = *first == '-';
  const char* p = first + (negative ? 1 : 0);
  const char* const start = p;
  uint64_t digits = 0;  // wraps past 19 digits, which are refused below
  while (p != last && IsDigit(*p))
    digits = digits * 10 + uint64_t(*p++ - '0');
  ptrdiff_t count = p - start;
  ptrdiff_t fraction = 0;
  if (p != last && *p == '.') {
    const char* const point = ++p;
    while (p != last && IsDigit(*p))
      digits = digits * 10 + uint64_t(*p++ - '0');
    fraction = p - point;
    count += fraction;
  }
  if (p != last || count == 0 || count > 19) return false;
  while (fraction > 0 && digits % 10 == 0) {
    digits /= 10;
    --fraction;
  }
  if (digits > (uint64_t(1) << 53)) return false;
  double value = double(digits);
  if (fraction > 0) value /= kPowers[fraction];
  out = negative ? -value : value;
  return true;
}

}  // namespace

bool ParseInt32(std::string_view text, int32_t& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  if (first == last || *first == '+') return false;
  const auto [ptr, ec] = std::from_chars(first, last, out);
  return ec == std::errc() && ptr == last;
}

bool ParseReal(std::string_view text, double& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  // from_chars also takes "inf" and "nan"; a drawing coordinate is never one.
  const char* digits = (first != last && *first == '-') ? first + 1 : first;
  if (digits == last || !(IsDigit(*digits) || *digits == '.')) return false;
  if (ParsePlainDecimal(first, last, out)) return true;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (ptr != last) return false;
  if (ec == std::errc::result_out_of_range) {
    // Underflow reads as zero; overflow is not a number.
    const std::string_view rest(digits, size_t(last - digits));
    const size_t e = rest.find_first_of("eE");
    if (e == std::string_view::npos || e + 1 >= rest.size() || rest[e + 1] != '-') return false;
    out = *first == '-' ? -0.0 : 0.0;
    return true;
  }
  if (ec != std::errc()) return false;
  out = value;
  return true;
}

bool ParseInt16(std::string_view text, int16_t& out) {
  int32_t value = 0;
  if (!ParseInt32(text, value)) return false;
  out = static_cast<int16_t>(value);
  return true;
}

int ParseGroupCodeSlow(std::string_view line) {
  int32_t value = 0;
  return ParseInt32(TrimBlanks(line), value) ? value : -999;
}

}  // namespace kestrel::dxf

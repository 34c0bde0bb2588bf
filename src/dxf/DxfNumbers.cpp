#include "dxf/DxfNumbers.h"

#include <charconv>
#include <system_error>

namespace kestrel::dxf {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
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

int ParseGroupCode(std::string_view text) {
  // The common case, one to four digits, without from_chars' set-up.
  if (!text.empty() && text.size() <= 4) {
    int code = 0;
    bool digits = true;
    for (char c : text) {
      if (!IsDigit(c)) {
        digits = false;
        break;
      }
      code = code * 10 + (c - '0');
    }
    if (digits) return code;
  }
  int32_t value = 0;
  return ParseInt32(text, value) ? value : -999;
}

}  // namespace kestrel::dxf

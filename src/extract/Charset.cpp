#include <iconv.h>

#include <cerrno>
#include <string>

#include "base/TextCodec.h"
#include "extract/Formats.h"

namespace kestrel::extract {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    c = AsciiLower(c);
  return out;
}

// Converts through iconv, replacing each byte it cannot convert by U+FFFD.
bool Iconv(std::string_view bytes, const std::string& from, std::string* utf8) {
  iconv_t cd = iconv_open("UTF-8", from.c_str());
  if (cd == iconv_t(-1)) return false;
  utf8->clear();
  utf8->reserve(bytes.size() * 3 / 2 + 16);
  char buffer[16384];
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  while (inLeft > 0) {
    char* outp = buffer;
    size_t outLeft = sizeof buffer;
    const size_t r = iconv(cd, &in, &inLeft, &outp, &outLeft);
    utf8->append(buffer, size_t(outp - buffer));
    if (r == size_t(-1)) {
      if (errno == E2BIG) continue;
      // An invalid or cut-off sequence: one byte becomes U+FFFD and the rest goes on.
      utf8->append("\xEF\xBF\xBD");
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return true;
}

}  // namespace

bool DecodeCharset(std::string_view bytes, std::string_view charset, std::string* utf8) {
  const std::string name = Lower(charset);
  if (name == "utf-8" || name == "utf8") {
    if (IsValidUtf8(bytes)) {
      utf8->assign(bytes);
      return true;
    }
    return Iconv(bytes, "UTF-8", utf8);
  }
  // Windows writes these names for its code page 932, which has more characters than
  // Shift_JIS itself (① and ～ among them).
  if (name == "shift_jis" || name == "shift-jis" || name == "sjis" || name == "x-sjis" ||
      name == "cp932" || name == "windows-31j" || name == "ms_kanji" || name == "ms932" ||
      name == "932") {
    *utf8 = AnsiToUtf8(bytes);
    return true;
  }
  if (name.empty() || name.size() > 40) return false;
  for (char c : name) {
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' ||
          c == ':'))
      return false;
  }
  return Iconv(bytes, name, utf8);
}

}  // namespace kestrel::extract

#include "catalogue/StatusTexts.h"

#include "base/Utf8Chars.h"
#include "catalogue/DosDateTime.h"

namespace kestrel::catalogue {

std::string BuildFinishedStatus(size_t found) {
  return " " + std::to_string(found) + " ファイルリストを作成しました.";
}

std::string CountStatus(size_t count) {
  return " " + std::to_string(count);
}

std::string SearchStatus(size_t hits, size_t total, bool finished) {
  std::string s = " " + std::to_string(hits) + " / " + std::to_string(total);
  if (finished) s += " 検索を終了しました.";
  return s;
}

std::string ResultLine(const FileList& list, size_t i) {
  std::string line = FormatResultDate(list.DateTime(i));
  line.append(list.Path(i));
  return line;
}

std::string_view PathOfResultLine(std::string_view line) {
  size_t at = line.find("] ");
  return at == std::string_view::npos ? line : line.substr(at + 2);
}

std::string DisplayText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7F) {
      out += char(c);
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      // U+2400 + c, or U+2421 for DEL: three bytes E2 90 xx.
      out += "\xE2\x90";
      out += char(c == 0x7F ? 0xA1 : 0x80 + c);
      ++i;
    } else {
      const size_t n = Utf8CharLength(bytes, i);
      if (n == 1) {
        out += "\xEF\xBF\xBD";
      } else {
        out.append(bytes.substr(i, n));
      }
      i += n;
    }
  }
  return out;
}

}  // namespace kestrel::catalogue

#include "catalogue/StatusTexts.h"

#include <cstdint>
#include <cstring>

#include "base/Utf8Chars.h"
#include "catalogue/DosDateTime.h"

namespace kestrel::catalogue {

std::string SkippedFoldersNote(size_t skippedFolders) {
  if (skippedFolders == 0) return {};
  return " (開けないフォルダ " + std::to_string(skippedFolders) + ")";
}

std::string BuildFinishedStatus(size_t found, size_t skippedFolders) {
  return " " + std::to_string(found) + " ファイルリストを作成しました." +
         SkippedFoldersNote(skippedFolders);
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

void AppendDisplayText(std::string& out, std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    // Printable ASCII and valid UTF-8, the whole of nearly every path, in runs.
    size_t run = i;
    while (run < bytes.size()) {
      // Eight bytes at a time while none is below 0x20 or above 0x7E.
      while (bytes.size() - run >= 8) {
        uint64_t w;
        std::memcpy(&w, bytes.data() + run, 8);
        constexpr uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
        const uint64_t below = (w - 0x20 * kOnes) & ~w & kHighs;
        const uint64_t above = ((w + kOnes) | w) & kHighs;
        if (below | above) break;
        run += 8;
      }
      if (run == bytes.size()) break;
      const auto c = static_cast<unsigned char>(bytes[run]);
      if (c - 0x20u < 0x5Fu) {
        ++run;
      } else if (const size_t n = c >= 0x80 ? Utf8CharLength(bytes, run) : 1; n > 1) {
        run += n;
      } else {
        break;
      }
    }
    out.append(bytes.substr(i, run - i));
    if (run == bytes.size()) break;
    const auto c = static_cast<unsigned char>(bytes[run]);
    if (c < 0x20 || c == 0x7F) {
      // U+2400 + c, or U+2421 for DEL: three bytes E2 90 xx.
      out += "\xE2\x90";
      out += char(c == 0x7F ? 0xA1 : 0x80 + c);
    } else {
      out += "\xEF\xBF\xBD";
    }
    i = run + 1;
  }
}

std::string DisplayText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  AppendDisplayText(out, bytes);
  return out;
}

}  // namespace kestrel::catalogue

#include "dxf/MText.h"

#include <algorithm>

namespace kestrel::dxf {

namespace {

void ReplaceAll(std::string& s, std::string_view from, char to) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    if (s.compare(i, from.size(), from) == 0) {
      out += to;
      i += from.size();
    } else {
      out += s[i++];
    }
  }
  s = std::move(out);
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
    s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
    s.remove_suffix(1);
  return s;
}

// A quoted piece: the opening quote is dropped, two quotes stand for one, and the piece ends
// at the next single quote, or at the end of the text when none comes.
std::string ReadQuoted(std::string_view text, size_t& pos) {
  std::string piece;
  ++pos;
  while (pos < text.size()) {
    if (text[pos] == '"') {
      if (pos + 1 < text.size() && text[pos + 1] == '"') {
        piece += '"';
        pos += 2;
        continue;
      }
      ++pos;
      break;
    }
    piece += text[pos++];
  }
  return piece;
}

}  // namespace

int SplitMTextLines(std::string_view text, std::vector<std::string>& lines) {
  std::string s(text);
  ReplaceAll(s, "^J", '\r');
  ReplaceAll(s, "\\P", '\r');
  ReplaceAll(s, "\\p", '\r');

  lines.clear();
  size_t pos = 0;
  while (pos < s.size()) {
    if (s[pos] == '"') {
      lines.push_back(ReadQuoted(s, pos));
    } else {
      const size_t end = std::min(s.find('\r', pos), s.size());
      lines.emplace_back(s, pos, end - pos);
      pos = end;
    }
    if (pos < s.size() && s[pos] == '\r') {
      ++pos;
      if (pos == s.size()) lines.emplace_back();
    }
  }

  if (!lines.empty() && Trim(lines.back()).empty()) lines.pop_back();
  std::erase_if(lines, [](const std::string& line) { return Trim(line) == "}"; });
  return static_cast<int>(lines.size());
}

}  // namespace kestrel::dxf

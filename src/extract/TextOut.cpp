#include "extract/TextOut.h"

namespace kestrel::extract {

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

void TextOut::Append(std::string_view utf8) {
  if (full_) return;
  if (utf8.size() > limit_ - text_.size()) {
    // Cut at a character boundary so that the text stays valid UTF-8.
    size_t keep = limit_ - text_.size();
    while (keep > 0 && (static_cast<unsigned char>(utf8[keep]) & 0xC0) == 0x80)
      --keep;
    text_.append(utf8.substr(0, keep));
    full_ = true;
    return;
  }
  text_.append(utf8);
}

void TextOut::AppendCodePoint(uint32_t cp) {
  std::string s;
  AppendUtf8(s, cp);
  Append(s);
}

void TextOut::EndLine() {
  if (!AtLineStart()) NewLine();
}

std::string TextOut::Take() {
  std::string t = std::move(text_);
  text_.clear();
  return t;
}

}  // namespace kestrel::extract

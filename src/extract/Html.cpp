// HTML pages: the text between the tags, with block elements on lines of their own, table
// cells separated by TABs, entities decoded, and scripts, styles and comments dropped. One
// pass without recursion, so a page nested a million deep is only a long page.
#include <array>
#include <cstring>
#include <string>

#include "base/TextCodec.h"
#include "extract/Formats.h"

namespace kestrel::extract {
namespace {

bool IEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// Position of `needle` (lower-case ASCII) in `hay` from `from`, ignoring letter case.
size_t IFind(std::string_view hay, std::string_view needle, size_t from) {
  for (size_t i = from; i + needle.size() <= hay.size(); ++i) {
    if (AsciiLower(hay[i]) == needle[0] && IEquals(hay.substr(i, needle.size()), needle)) return i;
  }
  return std::string_view::npos;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The charset named by a meta tag in the page's head, if any.
std::string MetaCharset(std::string_view page) {
  const std::string_view head = page.substr(0, std::min<size_t>(page.size(), 8192));
  size_t at = 0;
  while ((at = IFind(head, "<meta", at)) != std::string_view::npos) {
    const size_t end = head.find('>', at);
    const std::string_view tag =
        head.substr(at, end == std::string_view::npos ? head.npos : end - at);
    const size_t cs = IFind(tag, "charset", 0);
    if (cs != std::string_view::npos) {
      size_t i = cs + 7;
      while (i < tag.size() &&
             (IsSpace(tag[i]) || tag[i] == '=' || tag[i] == '"' || tag[i] == '\''))
        ++i;
      size_t j = i;
      while (j < tag.size() && !IsSpace(tag[j]) && tag[j] != '"' && tag[j] != '\'' &&
             tag[j] != ';' && tag[j] != '/')
        ++j;
      if (j > i) return std::string(tag.substr(i, j - i));
    }
    at += 5;
  }
  return {};
}

struct Entity {
  const char* name;
  uint32_t cp;
};
constexpr Entity kEntities[] = {
    {"amp", '&'},      {"lt", '<'},       {"gt", '>'},       {"quot", '"'},      {"apos", '\''},
    {"nbsp", ' '},     {"copy", 0xA9},    {"reg", 0xAE},     {"yen", 0xA5},      {"times", 0xD7},
    {"divide", 0xF7},  {"middot", 0xB7},  {"laquo", 0xAB},   {"raquo", 0xBB},    {"deg", 0xB0},
    {"plusmn", 0xB1},  {"sect", 0xA7},    {"para", 0xB6},    {"hellip", 0x2026}, {"mdash", 0x2014},
    {"ndash", 0x2013}, {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"ldquo", 0x201C},  {"rdquo", 0x201D},
    {"bull", 0x2022},  {"trade", 0x2122}, {"euro", 0x20AC},  {"larr", 0x2190},   {"rarr", 0x2192},
    {"uarr", 0x2191},  {"darr", 0x2193},  {"ensp", ' '},     {"emsp", ' '},      {"thinsp", ' '},
    {"shy", 0},
};

// Decodes the entity at `s[i]` ('&'); returns the bytes it took (0: not an entity).
size_t DecodeEntity(std::string_view s, size_t i, std::string& out) {
  size_t j = i + 1;
  if (j < s.size() && s[j] == '#') {
    ++j;
    const bool hex = j < s.size() && (s[j] == 'x' || s[j] == 'X');
    if (hex) ++j;
    uint64_t cp = 0;
    const size_t digits = j;
    while (j < s.size() && j - digits < 8 &&
           (hex ? std::isxdigit(static_cast<unsigned char>(s[j]))
                : std::isdigit(static_cast<unsigned char>(s[j])))) {
      const char c = s[j];
      cp = cp * (hex ? 16 : 10) + uint64_t(std::isdigit(static_cast<unsigned char>(c))
                                               ? c - '0'
                                               : (AsciiLower(c) - 'a' + 10));
      ++j;
    }
    if (j == digits) return 0;
    if (j < s.size() && s[j] == ';') ++j;
    AppendUtf8(out, cp > 0x10FFFF ? 0xFFFD : uint32_t(cp));
    return j - i;
  }
  while (j < s.size() && j - i < 12 && std::isalnum(static_cast<unsigned char>(s[j])))
    ++j;
  const std::string_view name = s.substr(i + 1, j - i - 1);
  for (const Entity& e : kEntities) {
    if (name == e.name) {
      if (e.cp) AppendUtf8(out, e.cp);
      if (j < s.size() && s[j] == ';') ++j;
      return j - i;
    }
  }
  return 0;
}

enum class TagKind { Inline, Block, Break, Cell, RawText };

TagKind KindOf(std::string_view name) {
  static constexpr std::array<std::string_view, 5> raw = {"script", "style", "noscript", "template",
                                                          "svg"};
  static constexpr std::array<std::string_view, 32> block = {
      "p",   "div",   "h1",    "h2",         "h3",      "h4",      "h5",     "h6",
      "li",  "tr",    "table", "ul",         "ol",      "dl",      "dt",     "dd",
      "pre", "hr",    "title", "blockquote", "section", "article", "header", "footer",
      "nav", "aside", "form",  "address",    "caption", "figure",  "main",   "center"};
  for (std::string_view r : raw) {
    if (IEquals(name, r)) return TagKind::RawText;
  }
  if (IEquals(name, "br")) return TagKind::Break;
  if (IEquals(name, "td") || IEquals(name, "th")) return TagKind::Cell;
  for (std::string_view b : block) {
    if (IEquals(name, b)) return TagKind::Block;
  }
  return TagKind::Inline;
}

class PageText {
 public:
  explicit PageText(TextOut& out) : out_(out) {}

  void Run(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && !out_.Full()) {
      const char c = s[i];
      if (c == '<') {
        i = Tag(s, i);
      } else if (c == '&') {
        std::string decoded;
        const size_t used = DecodeEntity(s, i, decoded);
        if (used == 0) {
          Text("&");
          ++i;
        } else {
          Text(decoded);
          i += used;
        }
      } else {
        size_t j = i;
        while (j < s.size() && s[j] != '<' && s[j] != '&')
          ++j;
        Text(s.substr(i, j - i));
        i = j;
      }
    }
    Flush();
  }

 private:
  size_t Tag(std::string_view s, size_t i) {
    if (s.compare(i, 4, "<!--") == 0) {
      const size_t end = s.find("-->", i + 4);
      return end == s.npos ? s.size() : end + 3;
    }
    if (i + 1 < s.size() && (s[i + 1] == '!' || s[i + 1] == '?')) {
      const size_t end = s.find('>', i);
      return end == s.npos ? s.size() : end + 1;
    }
    size_t j = i + 1;
    const bool closing = j < s.size() && s[j] == '/';
    if (closing) ++j;
    const size_t nameStart = j;
    while (j < s.size() &&
           (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == ':' || s[j] == '-'))
      ++j;
    if (j == nameStart) {  // a lone "<" is text
      Text("<");
      return i + 1;
    }
    const std::string_view name = s.substr(nameStart, j - nameStart);
    // The end of the tag, past quoted attribute values.
    char quote = 0;
    while (j < s.size()) {
      const char c = s[j];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        break;
      }
      ++j;
    }
    const size_t after = j < s.size() ? j + 1 : s.size();
    const TagKind kind = KindOf(name);
    if (kind == TagKind::RawText && !closing) {
      // Everything up to the closing tag is the script's or style's own.
      const std::string close = "</" + std::string(name);
      std::string lower;
      for (char c : close)
        lower += AsciiLower(c);
      const size_t end = IFind(s, lower, after);
      if (end == s.npos) return s.size();
      const size_t gt = s.find('>', end);
      return gt == s.npos ? s.size() : gt + 1;
    }
    if (IEquals(name, "pre")) pre_ = !closing;
    switch (kind) {
      case TagKind::Break:
        Flush();
        out_.NewLine();
        break;
      case TagKind::Block:
        Flush();
        out_.EndLine();
        break;
      case TagKind::Cell:
        if (!closing) {
          Flush();
          if (!out_.AtLineStart()) out_.Append('\t');
        }
        break;
      default:
        break;
    }
    return after;
  }

  // Text between tags: runs of white space are one blank, except in <pre>.
  void Text(std::string_view t) {
    if (pre_) {
      Flush();
      for (size_t k = 0; k < t.size(); ++k) {
        if (t[k] == '\n') {
          out_.NewLine();
        } else if (t[k] != '\r') {
          out_.Append(t[k]);
        }
      }
      return;
    }
    for (char c : t) {
      if (IsSpace(c)) {
        space_ = true;
        continue;
      }
      if (space_ && (!pending_.empty() || (!out_.AtLineStart() && out_.Text().back() != '\t')))
        pending_ += ' ';
      space_ = false;
      pending_ += c;
      if (pending_.size() >= 65536) Flush();
    }
  }

  void Flush() {
    out_.Append(pending_);
    pending_.clear();
  }

  TextOut& out_;
  std::string pending_;
  bool space_ = false;
  bool pre_ = false;
};

}  // namespace

bool ReadHtml(std::string_view bytes, std::string_view charset, TextOut& out) {
  std::string utf8;
  const BomInfo bom = DetectBom(bytes);
  if (bom.encoding == TextEncoding::Utf16LE || bom.encoding == TextEncoding::Utf16BE) {
    DecodeCharset(bytes.substr(bom.length),
                  bom.encoding == TextEncoding::Utf16LE ? "UTF-16LE" : "UTF-16BE", &utf8);
  } else if (bom.encoding == TextEncoding::Utf8) {
    DecodeCharset(bytes.substr(bom.length), "utf-8", &utf8);
  } else {
    std::string name(charset);
    if (name.empty()) name = MetaCharset(bytes);
    // Without a name: UTF-8 when the page is valid UTF-8, else the Japanese code page.
    if (name.empty() || !DecodeCharset(bytes, name, &utf8))
      DecodeCharset(bytes, IsValidUtf8(bytes) ? "utf-8" : "cp932", &utf8);
  }
  PageText(out).Run(utf8);
  out.EndLine();
  return true;
}

}  // namespace kestrel::extract

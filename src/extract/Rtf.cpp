// Rich Text Format: the document's text with its paragraph, line and tab marks. Fonts,
// colours, styles, document information, pictures, objects' data and every "\*" destination
// are skipped. Bytes in \'xx or raw are decoded in the code page of the current font's
// charset, else in the document's \ansicpg; \uN is taken with its \uc fallback skipped.
// Groups are tracked with a stack that stops growing past a bound, so nesting depth costs
// nothing and nothing recurses.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "extract/Formats.h"

namespace kestrel::extract {
namespace {

// Group states kept; deeper groups share the deepest one's state (they are counted).
constexpr size_t kMostGroupStates = 4096;
// Bytes of RTF read between two polls.
constexpr size_t kPollEvery = size_t(1) << 17;

struct GroupState {
  bool skip = false;  // inside a destination whose text is not the document's
  bool fontTable = false;
  int uc = 1;        // fallback characters after \uN
  int codePage = 0;  // 0: the document's
};

int CodePageOfCharset(int charset) {
  switch (charset) {
    case 128:
      return 932;
    case 129:
      return 949;
    case 134:
      return 936;
    case 136:
      return 950;
    case 161:
      return 1253;
    case 162:
      return 1254;
    case 163:
      return 1258;
    case 177:
      return 1255;
    case 178:
      return 1256;
    case 186:
      return 1257;
    case 204:
      return 1251;
    case 222:
      return 874;
    case 238:
      return 1250;
    case 77:
      return 10000;
    case 0:
      return 1252;  // ANSI: Latin fonts of a Japanese document too
    default:
      return 0;
  }
}

std::string CharsetName(int codePage) {
  switch (codePage) {
    case 932:
      return "cp932";
    case 936:
      return "GBK";
    case 949:
      return "CP949";
    case 950:
      return "BIG5";
    case 874:
      return "CP874";
    case 10000:
      return "MACINTOSH";
    case 437:
      return "CP437";
    case 850:
      return "CP850";
    case 65001:
      return "utf-8";
    default:
      if (codePage >= 1250 && codePage <= 1258) return "CP" + std::to_string(codePage);
      return "CP1252";
  }
}

// Destinations whose contents are never the document's text.
bool IsSkippedDestination(std::string_view w) {
  static constexpr std::string_view kSkipped[] = {"colortbl",
                                                  "stylesheet",
                                                  "info",
                                                  "pict",
                                                  "object",
                                                  "objdata",
                                                  "fldinst",
                                                  "themedata",
                                                  "datastore",
                                                  "listtable",
                                                  "listoverridetable",
                                                  "rsidtbl",
                                                  "generator",
                                                  "latentstyles",
                                                  "filetbl",
                                                  "revtbl",
                                                  "pgdsctbl",
                                                  "xmlnstbl",
                                                  "header",
                                                  "headerl",
                                                  "headerr",
                                                  "headerf",
                                                  "footer",
                                                  "footerl",
                                                  "footerr",
                                                  "footerf",
                                                  "nonshppict",
                                                  "bkmkstart",
                                                  "bkmkend",
                                                  "template",
                                                  "mmathPr",
                                                  "colorschememapping",
                                                  "passwordhash",
                                                  "userprops",
                                                  "docvar",
                                                  "xe",
                                                  "tc",
                                                  "txe",
                                                  "blipuid",
                                                  "fontemb",
                                                  "fontfile",
                                                  "falt",
                                                  "panose",
                                                  "sp",
                                                  "sn",
                                                  "sv"};
  for (std::string_view s : kSkipped) {
    if (w == s) return true;
  }
  return false;
}

class RtfText {
 public:
  RtfText(TextOut& out, const Poll& poll) : out_(out), poll_(poll) { stack_.push_back({}); }

  void Run(std::string_view s) {
    size_t i = 0;
    size_t nextPoll = kPollEvery;
    while (i < s.size() && !out_.Full()) {
      if (i >= nextPoll) {
        if (poll_) poll_();
        nextPoll = i + kPollEvery;
      }
      const char c = s[i];
      if (c == '{') {
        FlushBytes();
        ++depth_;
        if (stack_.size() < kMostGroupStates) stack_.push_back(stack_.back());
        ++i;
        fallback_ = 0;
      } else if (c == '}') {
        FlushBytes();
        if (depth_ > 0) {
          if (stack_.size() > 1 && depth_ < stack_.size()) stack_.pop_back();
          --depth_;
        }
        ++i;
        fallback_ = 0;
      } else if (c == '\\') {
        i = Control(s, i);
      } else if (c == '\r' || c == '\n') {
        ++i;
      } else {
        if (fallback_ > 0) {
          --fallback_;
        } else if (!State().skip) {
          // A double-byte character's second byte may come raw after an escaped first one
          // ("\'82P").
          if (static_cast<unsigned char>(c) >= 0x80 || EndsInLeadByte()) {
            bytes_ += c;
          } else {
            FlushBytes();
            if (c != '\0') out_.Append(c);
          }
        } else if (State().fontTable && c == ';') {
          fontNumber_ = -1;
        }
        ++i;
      }
    }
    FlushBytes();
  }

 private:
  GroupState& State() { return stack_.back(); }

  size_t Control(std::string_view s, size_t i) {
    ++i;  // the backslash
    if (i >= s.size()) return i;
    const char c = s[i];
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      ++i;
      if (c == '\'') {
        // \'xx: one byte in the current code page.
        if (i + 1 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 1]))) {
          const int v = std::stoi(std::string(s.substr(i, 2)), nullptr, 16);
          i += 2;
          if (fallback_ > 0) {
            --fallback_;
          } else if (!State().skip) {
            bytes_ += char(v);
          }
        }
        return i;
      }
      FlushBytes();
      if (fallback_ > 0) {
        --fallback_;
        return i;
      }
      if (c == '*') {
        State().skip = true;  // an optional destination this reader does not know
      } else if (!State().skip) {
        switch (c) {
          case '\\':
          case '{':
          case '}':
            out_.Append(c);
            break;
          case '~':
            out_.Append(' ');
            break;
          case '_':
            out_.Append('-');
            break;
          case '\r':
          case '\n':
            out_.NewLine();
            break;
          case '\t':
            out_.Append('\t');
            break;
          default:
            break;  // \- (optional hyphen), \: and others
        }
      }
      return i;
    }
    const size_t wordStart = i;
    while (i < s.size() && i - wordStart < 32 && std::isalpha(static_cast<unsigned char>(s[i])))
      ++i;
    const std::string_view word = s.substr(wordStart, i - wordStart);
    bool hasParam = false, negative = false;
    int64_t param = 0;
    if (i < s.size() && s[i] == '-' && i + 1 < s.size() &&
        std::isdigit(static_cast<unsigned char>(s[i + 1]))) {
      negative = true;
      ++i;
    }
    const size_t digits = i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
      if (i - digits < 12) param = param * 10 + (s[i] - '0');
      ++i;
    }
    hasParam = i > digits;
    if (negative) param = -param;
    if (i < s.size() && s[i] == ' ') ++i;  // the delimiting space belongs to the word

    if (word == "bin") {
      // Binary data of the given length follows; it is never text, whatever its length.
      FlushBytes();
      const uint64_t n = param > 0 ? uint64_t(param) : 0;
      return n >= s.size() - i ? s.size() : i + size_t(n);
    }
    if (word != "u") FlushBytes();
    if (fallback_ > 0) {
      --fallback_;
      return i;
    }
    Word(word, hasParam, param);
    return i;
  }

  void Word(std::string_view w, bool hasParam, int64_t param) {
    GroupState& st = State();
    if (w == "fonttbl") {
      st.skip = true;
      st.fontTable = true;
      return;
    }
    if (st.fontTable) {
      if (w == "f" && hasParam) fontNumber_ = int(param);
      if (w == "fcharset" && hasParam && fontNumber_ >= 0)
        fontCodePages_[fontNumber_] = CodePageOfCharset(int(param));
      if (w == "cpg" && hasParam && fontNumber_ >= 0) fontCodePages_[fontNumber_] = int(param);
      return;
    }
    if (IsSkippedDestination(w)) {
      st.skip = true;
      return;
    }
    if (w == "ansicpg" && hasParam) {
      documentCodePage_ = int(param);
      return;
    }
    if (w == "uc" && hasParam) {
      st.uc = int(std::clamp<int64_t>(param, 0, 16));
      return;
    }
    if (w == "f" && hasParam) {
      auto it = fontCodePages_.find(int(param));
      st.codePage = it != fontCodePages_.end() ? it->second : 0;
      return;
    }
    if (st.skip) return;
    if (w == "u" && hasParam) {
      FlushBytes();
      uint32_t unit = uint32_t(param < 0 ? param + 65536 : param) & 0xFFFF;
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        highSurrogate_ = unit;
      } else if (unit >= 0xDC00 && unit <= 0xDFFF && highSurrogate_) {
        out_.AppendCodePoint(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
        highSurrogate_ = 0;
      } else {
        highSurrogate_ = 0;
        out_.AppendCodePoint(unit);
      }
      fallback_ = st.uc;
      return;
    }
    if (w == "par" || w == "line" || w == "sect" || w == "page" || w == "row") {
      out_.NewLine();
    } else if (w == "tab" || w == "cell") {
      out_.Append('\t');
    } else if (w == "emdash") {
      out_.AppendCodePoint(0x2014);
    } else if (w == "endash") {
      out_.AppendCodePoint(0x2013);
    } else if (w == "lquote") {
      out_.AppendCodePoint(0x2018);
    } else if (w == "rquote") {
      out_.AppendCodePoint(0x2019);
    } else if (w == "ldblquote") {
      out_.AppendCodePoint(0x201C);
    } else if (w == "rdblquote") {
      out_.AppendCodePoint(0x201D);
    } else if (w == "bullet") {
      out_.AppendCodePoint(0x2022);
    } else if (w == "emspace" || w == "enspace" || w == "qmspace") {
      out_.Append(' ');
    }
  }

  // Whether the collected bytes end with the first byte of a double-byte character.
  bool EndsInLeadByte() {
    if (bytes_.empty()) return false;
    const int cp = State().codePage ? State().codePage : documentCodePage_;
    if (cp != 932 && cp != 936 && cp != 949 && cp != 950) return false;
    size_t i = 0;
    while (i < bytes_.size()) {
      const auto b = static_cast<unsigned char>(bytes_[i]);
      const bool lead = cp == 932 ? ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))
                                  : (b >= 0x81 && b <= 0xFE);
      if (lead && i + 1 == bytes_.size()) return true;
      i += lead ? 2 : 1;
    }
    return false;
  }

  // Bytes collected from \'xx and raw characters, decoded together so that a double-byte
  // character split over two escapes comes out whole.
  void FlushBytes() {
    if (bytes_.empty()) return;
    const int cp = State().codePage ? State().codePage : documentCodePage_;
    std::string utf8;
    DecodeCharset(bytes_, CharsetName(cp), &utf8);
    out_.Append(utf8);
    bytes_.clear();
  }

  TextOut& out_;
  const Poll& poll_;
  std::vector<GroupState> stack_;
  size_t depth_ = 0;
  int fallback_ = 0;
  int documentCodePage_ = 1252;
  int fontNumber_ = -1;
  uint32_t highSurrogate_ = 0;
  std::unordered_map<int, int> fontCodePages_;
  std::string bytes_;
};

}  // namespace

bool ReadRtf(std::string_view bytes, TextOut& out, const Poll& poll, std::string* error) {
  if (bytes.substr(0, 5) != "{\\rtf") {
    *error = "RTF 形式ではありません";
    return false;
  }
  RtfText(out, poll).Run(bytes);
  out.EndLine();
  return true;
}

}  // namespace kestrel::extract

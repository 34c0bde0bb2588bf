// Web archives (MHT): a MIME message whose root part is the page. Headers are unfolded, the
// transfer encoding (quoted-printable, base64) is undone and the part's charset is handed to
// the HTML reader. Nested multiparts are walked with an explicit bound, not recursion.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/TextCodec.h"
#include "extract/Formats.h"

namespace kestrel::extract {
namespace {

constexpr int kMostNestedMultiparts = 8;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    c = AsciiLower(c);
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

struct Part {
  std::string contentType;  // lower case, without parameters
  std::string boundary, charset, encoding;
  std::string_view body;
};

// The value of parameter `name` in a header value such as `text/html; charset="utf-8"`.
std::string Parameter(std::string_view value, std::string_view name) {
  const std::string lower = Lower(value);
  size_t at = 0;
  while ((at = lower.find(name, at)) != std::string::npos) {
    const bool starts = at == 0 || lower[at - 1] == ';' || lower[at - 1] == ' ' ||
                        lower[at - 1] == '\t' || lower[at - 1] == '\n';
    size_t i = at + name.size();
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
      ++i;
    if (starts && i < value.size() && value[i] == '=') {
      ++i;
      while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
        ++i;
      if (i < value.size() && value[i] == '"') {
        const size_t end = value.find('"', i + 1);
        return std::string(value.substr(i + 1, end == value.npos ? value.npos : end - i - 1));
      }
      size_t j = i;
      while (j < value.size() && value[j] != ';' && value[j] != ' ' && value[j] != '\t' &&
             value[j] != '\r' && value[j] != '\n')
        ++j;
      return std::string(value.substr(i, j - i));
    }
    at += name.size();
  }
  return {};
}

// Splits headers from body at the first empty line and reads the headers that matter.
Part ParsePart(std::string_view s) {
  Part part;
  size_t pos = 0;
  std::string name, value;
  auto finish = [&] {
    const std::string n = Lower(Trim(name));
    if (n == "content-type") {
      const std::string v(Trim(value));
      part.contentType = Lower(Trim(v.substr(0, v.find(';'))));
      part.boundary = Parameter(v, "boundary");
      part.charset = Parameter(v, "charset");
    } else if (n == "content-transfer-encoding") {
      part.encoding = Lower(Trim(value));
    }
    name.clear();
    value.clear();
  };
  while (pos < s.size()) {
    size_t eol = s.find('\n', pos);
    if (eol == s.npos) eol = s.size();
    std::string_view line = s.substr(pos, eol - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = eol + 1;
    if (line.empty()) {
      finish();
      part.body = s.substr(std::min(pos, s.size()));
      return part;
    }
    if ((line.front() == ' ' || line.front() == '\t') && !name.empty()) {
      value += ' ';
      value += line;  // a folded header line
      continue;
    }
    finish();
    const size_t colon = line.find(':');
    if (colon == line.npos) continue;
    name = std::string(line.substr(0, colon));
    value = std::string(line.substr(colon + 1));
  }
  finish();
  part.body = {};
  return part;
}

// The parts of a multipart body between "--boundary" lines.
std::vector<std::string_view> SplitMultipart(std::string_view body, const std::string& boundary) {
  std::vector<std::string_view> parts;
  const std::string marker = "--" + boundary;
  size_t at = body.find(marker);
  while (at != body.npos) {
    if (at > 0 && body[at - 1] != '\n') {
      at = body.find(marker, at + marker.size());
      continue;
    }
    size_t start = at + marker.size();
    if (body.compare(start, 2, "--") == 0) break;  // the closing boundary
    const size_t eol = body.find('\n', start);
    if (eol == body.npos) break;
    start = eol + 1;
    size_t next = body.find(marker, start);
    while (next != body.npos && body[next - 1] != '\n')
      next = body.find(marker, next + marker.size());
    const size_t end = next == body.npos ? body.size() : next;
    parts.push_back(body.substr(start, end - start));
    at = next;
  }
  return parts;
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string QuotedPrintable(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '=') {
      out += s[i];
      continue;
    }
    if (i + 1 < s.size() && (s[i + 1] == '\n' || s[i + 1] == '\r')) {  // a soft line break
      ++i;
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      continue;
    }
    const int hi = i + 2 < s.size() ? Hex(s[i + 1]) : -1;
    const int lo = i + 2 < s.size() ? Hex(s[i + 2]) : -1;
    if (hi < 0 || lo < 0) {
      out += '=';
      continue;
    }
    out += char(hi * 16 + lo);
    i += 2;
  }
  return out;
}

std::string Base64(std::string_view s) {
  std::string out;
  out.reserve(s.size() / 4 * 3);
  uint32_t acc = 0;
  int bits = 0;
  for (char c : s) {
    int v;
    if (c >= 'A' && c <= 'Z')
      v = c - 'A';
    else if (c >= 'a' && c <= 'z')
      v = c - 'a' + 26;
    else if (c >= '0' && c <= '9')
      v = c - '0' + 52;
    else if (c == '+' || c == '-')
      v = 62;
    else if (c == '/' || c == '_')
      v = 63;
    else if (c == '=')
      break;
    else
      continue;
    acc = (acc << 6) | uint32_t(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += char((acc >> bits) & 0xFF);
    }
  }
  return out;
}

std::string Decoded(const Part& part) {
  if (part.encoding == "quoted-printable") return QuotedPrintable(part.body);
  if (part.encoding == "base64") return Base64(part.body);
  return std::string(part.body);
}

}  // namespace

bool ReadMht(std::string_view bytes, TextOut& out, std::string* error) {
  const BomInfo bom = DetectBom(bytes);
  if (bom.encoding == TextEncoding::Utf8) bytes.remove_prefix(bom.length);
  // The first HTML part anywhere, else the first plain-text one; a multipart is opened in
  // place of its own entry, so the walk goes in document order.
  std::deque<std::pair<std::string_view, int>> pending{{bytes, 0}};
  std::optional<Part> html, plain;
  while (!pending.empty() && !html) {
    auto [text, depth] = pending.front();
    pending.pop_front();
    const Part part = ParsePart(text);
    if (depth == 0 && part.contentType.empty()) {
      // A page saved under the archive's name, without a MIME header.
      std::string lower;
      for (char c : text.substr(0, 4096))
        lower += AsciiLower(c);
      if (lower.find("<html") != std::string::npos || lower.find("<!doctype") != std::string::npos)
        return ReadHtml(text, "", out);
    }
    if (part.contentType.rfind("multipart/", 0) == 0 && !part.boundary.empty()) {
      if (depth >= kMostNestedMultiparts) continue;
      const std::vector<std::string_view> inner = SplitMultipart(part.body, part.boundary);
      for (auto it = inner.rbegin(); it != inner.rend(); ++it)
        pending.emplace_front(*it, depth + 1);
    } else if (part.contentType == "text/html") {
      html = part;
    } else if (!plain && (part.contentType == "text/plain" || part.contentType.empty())) {
      plain = part;
    }
  }
  if (html) return ReadHtml(Decoded(*html), html->charset, out);
  if (plain) {
    std::string utf8;
    const std::string body = Decoded(*plain);
    if (plain->charset.empty() || !DecodeCharset(body, plain->charset, &utf8))
      DecodeCharset(body, IsValidUtf8(body) ? "utf-8" : "cp932", &utf8);
    // Plain text: its own line breaks, as CR LF.
    for (size_t i = 0; i < utf8.size(); ++i) {
      if (utf8[i] == '\r') continue;
      if (utf8[i] == '\n')
        out.NewLine();
      else
        out.Append(utf8[i]);
    }
    out.EndLine();
    return true;
  }
  *error = "ウェブアーカイブに本文がありません";
  return false;
}

}  // namespace kestrel::extract

#include "app/core/IniFile.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

#include "base/PathBytes.h"
#include "base/RegularFile.h"
#include "base/TextCodec.h"

namespace kestrel::app {
namespace {

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r'))
    ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
    --e;
  return s.substr(b, e - b);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace

IniFile::Line IniFile::Classify(std::string bytes, std::string end, Code code,
                                std::string_view text) {
  Line line;
  line.bytes = std::move(bytes);
  line.end = std::move(end);
  line.code = code;
  std::string_view t = Trim(text);
  if (t.size() >= 2 && t.front() == '[' && t.find(']') != std::string_view::npos) {
    line.kind = Line::Section;
    line.section = std::string(Trim(t.substr(1, t.find(']') - 1)));
  } else if (!t.empty() && t.front() != ';' && t.find('=') != std::string_view::npos) {
    size_t eq = t.find('=');
    line.kind = Line::Key;
    line.key = std::string(Trim(t.substr(0, eq)));
    std::string_view v = Trim(t.substr(eq + 1));
    // The profile services drop one pair of enclosing quotes.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
      v = v.substr(1, v.size() - 2);
    line.value = std::string(v);
  }
  return line;
}

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile ini;
  BomInfo bom = DetectBom(bytes);
  ini.bom_ = std::string(bytes.substr(0, bom.length));
  std::string utf16Text;
  std::string_view body = bytes.substr(bom.length);
  if (bom.encoding) {
    ini.encoding_ = *bom.encoding;
    if (ini.encoding_ != TextEncoding::Utf8) {
      utf16Text = DecodeText(bytes, TextEncoding::Utf8);
      body = utf16Text;
    }
  }
  ini.lines_.reserve(size_t(std::count(body.begin(), body.end(), '\n')) + 1);
  size_t start = 0;
  while (start < body.size()) {
    size_t nl = body.find('\n', start);
    size_t stop = nl == std::string_view::npos ? body.size() : nl;
    std::string end = nl == std::string_view::npos ? "" : "\n";
    if (!end.empty() && stop > start && body[stop - 1] == '\r') {
      --stop;
      end = "\r\n";
    }
    // The text is looked at in place; only the line's bytes are kept.
    const std::string_view raw = body.substr(start, stop - start);
    start = stop + end.size();
    if (IsAscii(raw)) {
      ini.lines_.push_back(Classify(std::string(raw), std::move(end), Code::Ascii, raw));
    } else if (IsValidUtf8(raw)) {
      ini.lines_.push_back(Classify(std::string(raw), std::move(end), Code::Utf8, raw));
    } else {
      const std::string text = AnsiToUtf8(raw);
      ini.lines_.push_back(Classify(std::string(raw), std::move(end), Code::Ansi, text));
    }
    if (ini.lines_.back().kind == Line::Section) ini.sections_.push_back(ini.lines_.size() - 1);
  }
  return ini;
}

IniFile IniFile::Load(const std::string& path) {
  // A FIFO or a device in the file's place is not waited on, nor read without end.
  std::optional<std::string> bytes =
      ReadRegularFile(NativePath(path), std::numeric_limits<uint64_t>::max());
  return bytes ? Parse(*bytes) : IniFile();
}

std::string IniFile::Text() const {
  std::string body;
  for (const Line& l : lines_) {
    body += l.bytes;
    body += l.end;
  }
  if (encoding_ == TextEncoding::Utf16LE || encoding_ == TextEncoding::Utf16BE)
    return EncodeText(body, encoding_, true);
  return bom_ + body;
}

bool IniFile::Save(const std::string& path) const {
  return WriteRegularFile(NativePath(path), Text());
}

IniFile::Code IniFile::Prevailing() const {
  if (encoding_ != TextEncoding::Ansi) return Code::Utf8;  // the mark says what the file is
  size_t ansi = 0, utf8 = 0;
  for (const Line& l : lines_) {
    ansi += l.code == Code::Ansi;
    utf8 += l.code == Code::Utf8;
  }
  return ansi > utf8 ? Code::Ansi : Code::Utf8;
}

std::string IniFile::PrevailingEnd() const {
  for (const Line& l : lines_) {
    if (!l.end.empty()) return l.end;
  }
  return "\r\n";
}

IniFile::Line IniFile::MakeLine(const std::string& text, Code preferred) const {
  if (IsAscii(text)) return Classify(text, {}, Code::Ascii, text);
  if (preferred == Code::Ascii) preferred = Prevailing();
  if (preferred == Code::Ansi && encoding_ == TextEncoding::Ansi) {
    // Only bytes that the line-by-line reading takes for the ANSI code page again.
    if (std::optional<std::string> ansi = Utf8ToAnsiUnambiguous(text))
      return Classify(std::move(*ansi), {}, Code::Ansi, text);
  }
  return Classify(text, {}, Code::Utf8, text);
}

void IniFile::InsertLine(size_t at, Line line) {
  line.end = PrevailingEnd();
  // A last line without a line end gets one, or the new line would join it.
  if (at > 0 && lines_[at - 1].end.empty()) lines_[at - 1].end = line.end;
  const bool section = line.kind == Line::Section;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  auto next = std::lower_bound(sections_.begin(), sections_.end(), at);
  for (auto i = next; i != sections_.end(); ++i)
    ++*i;
  if (section) sections_.insert(next, at);
}

int IniFile::FindSection(std::string_view section) const {
  for (size_t i : sections_) {
    if (EqualIgnoringCase(lines_[i].section, section)) return static_cast<int>(i);
  }
  return -1;
}

size_t IniFile::SectionEnd(int s) const {
  auto next = std::upper_bound(sections_.begin(), sections_.end(), size_t(s));
  return next == sections_.end() ? lines_.size() : *next;
}

int IniFile::FindKey(int s, std::string_view key) const {
  for (size_t i = s + 1, end = SectionEnd(s); i < end; ++i) {
    if (lines_[i].kind == Line::Key && EqualIgnoringCase(lines_[i].key, key))
      return static_cast<int>(i);
  }
  return -1;
}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
  int s = FindSection(section);
  if (s < 0) return std::nullopt;
  int k = FindKey(s, key);
  if (k < 0) return std::nullopt;
  return lines_[k].value;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  auto v = Read(section, key);
  return v ? *v : std::string(fallback);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
  auto v = Read(section, key);
  if (!v) return fallback;
  std::string_view s = *v;
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  int value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() ? value : fallback;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  // A line break in a value would end its line and start another one.
  std::string v(value);
  for (char& c : v) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  // What the reading trims or unquotes is kept inside quotes.
  const bool quote =
      !v.empty() &&
      (v.front() == ' ' || v.front() == '\t' || v.back() == ' ' || v.back() == '\t' ||
       (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()));
  const std::string text = std::string(key) + "=" + (quote ? "\"" + v + "\"" : v);

  int s = FindSection(section);
  if (s < 0) {
    const std::string header = "[" + std::string(section) + "]";
    InsertLine(lines_.size(), MakeLine(header, Code::Ascii));
    s = static_cast<int>(lines_.size()) - 1;
  }
  int k = FindKey(s, key);
  if (k >= 0) {
    if (lines_[k].value == value) return;  // unchanged: the line stays as it is
    Line line = MakeLine(text, lines_[k].code);
    line.end = lines_[k].end;
    lines_[k] = std::move(line);
    return;
  }
  // After the section's last key line, before any blank lines that close it.
  size_t at = s + 1;
  for (size_t i = s + 1, end = SectionEnd(s); i < end; ++i) {
    if (lines_[i].kind == Line::Key) at = i + 1;
  }
  InsertLine(at, MakeLine(text, Code::Ascii));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  Write(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  Write(section, key, value ? "1" : "0");
}

}  // namespace kestrel::app

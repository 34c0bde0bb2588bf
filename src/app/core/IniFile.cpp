#include "app/core/IniFile.h"

#include <charconv>
#include <fstream>
#include <sstream>

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

IniFile IniFile::Parse(std::string_view bytes) {
  BomInfo bom = DetectBom(bytes);
  std::string text;
  if (bom.encoding) {
    text = DecodeText(bytes, TextEncoding::Utf8);
  } else {
    text = IsValidUtf8(bytes) ? std::string(bytes) : AnsiToUtf8(bytes);
  }
  IniFile ini;
  std::istringstream in(text);
  std::string raw;
  while (std::getline(in, raw)) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    Line line;
    line.text = raw;
    std::string_view t = Trim(raw);
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
    ini.lines_.push_back(std::move(line));
  }
  return ini;
}

IniFile IniFile::Load(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return {};
  std::ostringstream ss;
  ss << f.rdbuf();
  return Parse(ss.str());
}

std::string IniFile::Text() const {
  std::string out;
  for (const Line& l : lines_) {
    out += l.text;
    out += "\r\n";
  }
  return out;
}

bool IniFile::Save(const std::string& path) const {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  std::string text = Text();
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
  f.close();
  return !f.fail();
}

int IniFile::FindSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Line::Section && EqualIgnoringCase(lines_[i].section, section))
      return static_cast<int>(i);
  }
  return -1;
}

int IniFile::FindKey(int s, std::string_view key) const {
  for (size_t i = s + 1; i < lines_.size() && lines_[i].kind != Line::Section; ++i) {
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
  int s = FindSection(section);
  if (s < 0) {
    Line header;
    header.kind = Line::Section;
    header.section = std::string(section);
    header.text = "[" + header.section + "]";
    lines_.push_back(std::move(header));
    s = static_cast<int>(lines_.size()) - 1;
  }
  Line line;
  line.kind = Line::Key;
  line.key = std::string(key);
  line.value = std::string(value);
  line.text = line.key + "=" + line.value;
  int k = FindKey(s, key);
  if (k >= 0) {
    lines_[k] = std::move(line);
    return;
  }
  // After the section's last key line, before any blank lines that close it.
  size_t at = s + 1;
  for (size_t i = s + 1; i < lines_.size() && lines_[i].kind != Line::Section; ++i) {
    if (lines_[i].kind == Line::Key) at = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  Write(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  Write(section, key, value ? "1" : "0");
}

}  // namespace kestrel::app

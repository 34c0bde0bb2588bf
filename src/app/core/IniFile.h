// A small INI file as the platform's profile-string services treat it: sections in square
// brackets, "key=value" lines, names compared ignoring ASCII case, values trimmed. Lines it does
// not understand are kept as they stand when the file is written back.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::app {

class IniFile {
 public:
  // Parses UTF-8 text (a byte-order mark is skipped; without one, text that is not valid UTF-8
  // is taken as the ANSI code page, as files written by older versions are).
  static IniFile Parse(std::string_view bytes);
  static IniFile Load(const std::string& path);  // missing file: empty
  bool Save(const std::string& path) const;      // UTF-8, no byte-order mark
  std::string Text() const;

  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // Leading digits (with a sign) as an integer; no digits at all: `fallback`.
  int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  void Write(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

 private:
  struct Line {
    std::string text;     // the raw line (comments, blanks, unknown lines)
    std::string section;  // for section headers
    std::string key;      // for key lines
    std::string value;
    enum Kind { Other, Section, Key } kind = Other;
  };
  // Index of the header of `section`, or -1.
  int FindSection(std::string_view section) const;
  int FindKey(int sectionIndex, std::string_view key) const;
  std::vector<Line> lines_;
};

}  // namespace kestrel::app

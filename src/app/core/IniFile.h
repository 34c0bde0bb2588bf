// A small INI file as the platform's profile-string services treat it: sections in square
// brackets, "key=value" lines, names compared ignoring ASCII case, values trimmed.
//
// Users edit this file by hand, in whatever editor and encoding they have, so it is decoded a
// line at a time: a line that is valid UTF-8 is UTF-8, any other the ANSI code page (as Windows
// tools write it). Writing changes only the lines whose values change; every other line
// (comments, other sections and keys, blank and odd lines) goes back byte for byte, line end
// included.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/TextCodec.h"

namespace kestrel::app {

class IniFile {
 public:
  static IniFile Parse(std::string_view bytes);
  static IniFile Load(const std::string& path);  // missing file: empty
  bool Save(const std::string& path) const;
  std::string Text() const;  // the file's bytes, as Save writes them

  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // Leading digits (with a sign) as an integer; no digits at all: `fallback`.
  int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  // A value equal to the one the file holds leaves its line as it is. A changed or new line is
  // written so that it reads back as written: in the encoding of the line it replaces when that
  // holds it, a new one in the file's prevailing encoding, otherwise UTF-8.
  void Write(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

 private:
  enum class Code { Ascii, Utf8, Ansi };  // how a line's bytes are encoded
  struct Line {
    std::string bytes;  // as in the file, without the line end (UTF-16 files: as UTF-8)
    std::string end;    // "\r\n", "\n", or "" for a last line without one
    Code code = Code::Ascii;
    enum Kind { Other, Section, Key } kind = Other;
    std::string section;  // for section headers, UTF-8
    std::string key;      // for key lines, UTF-8
    std::string value;
  };
  static Line Classify(std::string bytes, std::string end, Code code, std::string_view text);
  Line MakeLine(const std::string& text, Code preferred) const;
  Code Prevailing() const;
  std::string PrevailingEnd() const;
  void InsertLine(size_t at, Line line);
  // Index of the header of `section`, or -1.
  int FindSection(std::string_view section) const;
  int FindKey(int sectionIndex, std::string_view key) const;
  // The index after the last line of the section whose header is at `sectionIndex`.
  size_t SectionEnd(int sectionIndex) const;

  std::vector<Line> lines_;
  std::vector<size_t> sections_;  // the indices of the section headers in lines_, ascending
  std::string bom_;               // the byte-order mark the file began with
  TextEncoding encoding_ = TextEncoding::Ansi;  // Ansi: each line its own; else the mark's
};

}  // namespace kestrel::app

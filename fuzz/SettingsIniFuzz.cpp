// The INI file and the settings read from it, over any bytes: the file comes back byte for byte
// when nothing changes, the settings written read back as written, and every line the settings
// do not own survives their writing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "app/core/IniFile.h"
#include "app/core/Settings.h"

using namespace kestrel;
using namespace kestrel::app;

namespace {

// The lines of `text` without their line ends and the CRs before them.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    // A last line without a line end gets one when a line is added after it; one that ends in
    // CR then ends in CR LF.
    while (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// A line break in a value cannot be written; it is written as a space.
std::string Written(std::string value) {
  for (char& c : value) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return value;
}

void CheckSame(const Settings& a, const Settings& b) {
  Check(a.left == b.left && a.top == b.top);
  Check(Written(a.insertButtonCaption) == b.insertButtonCaption);
  Check(Written(a.topFolder) == b.topFolder && Written(a.fileMask) == b.fileMask);
  Check(a.showConverter == b.showConverter && Written(a.converterPath) == b.converterPath);
  Check(Written(a.searchWords) == b.searchWords && a.searchOr == b.searchOr);
  Check(a.usesPdfium == b.usesPdfium && Written(a.targetProgId) == b.targetProgId);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const IniFile parsed = IniFile::Parse(bytes);
  const std::string text = parsed.Text();
  const bool utf16 = DetectBom(bytes).encoding == TextEncoding::Utf16LE ||
                     DetectBom(bytes).encoding == TextEncoding::Utf16BE;
  // UTF-16 is decoded to be read; what comes back is the same text, not the same bytes.
  Check(utf16 || text == bytes);
  Check(IniFile::Parse(text).Text() == text);

  const Settings read = ReadSettings(parsed, Settings());

  // Other settings: they read back as written, and no line without "=" is lost.
  Settings changed = read;
  changed.left ^= 1;
  changed.top ^= 2;
  changed.width = 803;
  changed.height = -412;
  changed.insertButtonCaption += "図";
  changed.topFolder = "\"" + changed.topFolder + " ";
  changed.fileMask += "x";
  changed.showConverter = !changed.showConverter;
  changed.converterPath = " " + changed.converterPath;
  changed.searchWords += "\r\n";
  changed.searchOr = !changed.searchOr;
  changed.usesPdfium = !changed.usesPdfium;
  changed.targetProgId += "ﾃｽ";
  IniFile written = parsed;
  WriteSettings(written, changed);
  const std::string after = written.Text();
  CheckSame(changed, ReadSettings(IniFile::Parse(after), Settings()));
  if (!utf16) {
    // The byte-order mark is the file's, not its first line's.
    const size_t bom = DetectBom(text).length;
    const std::vector<std::string_view> before = Lines(std::string_view(text).substr(bom));
    const std::vector<std::string_view> now = Lines(std::string_view(after).substr(bom));
    size_t at = 0;
    for (std::string_view line : before) {
      if (line.find('=') != std::string_view::npos) continue;
      while (at < now.size() && now[at] != line)
        ++at;
      Check(at < now.size());
      ++at;
    }
  }
  return 0;
}

#include "app/core/Settings.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalogue/WildcardMatch.h"

namespace kestrel::app {

Settings ReadSettings(const IniFile& ini, const Settings& d) {
  Settings s = d;
  s.left = ini.ReadInteger("Form", "Left", d.left);
  s.top = ini.ReadInteger("Form", "Top", d.top);
  s.insertButtonCaption = ini.ReadString("CAD", "Button", d.insertButtonCaption);
  s.topFolder = ini.ReadString("Folder", "TopFolder", d.topFolder);
  s.fileMask = ini.ReadString("FileMask", "Ext", d.fileMask);
  s.showConverter = ini.ReadBool("ODA", "dispFlag", d.showConverter);
  s.converterPath = ini.ReadString("ODA", "FullName", d.converterPath);
  s.searchWords = ini.ReadString("FileName", "Mask", d.searchWords);
  s.searchOr = ini.ReadBool("FileName", "OR", d.searchOr);
  s.usesPdfium = ini.ReadBool("PdfToText", "usesPdfium", d.usesPdfium);
  s.targetProgId = ini.ReadString("Target", "ProgID", d.targetProgId);
  return s;
}

void WriteSettings(IniFile& ini, const Settings& s) {
  ini.WriteInteger("Form", "Width", s.width);
  ini.WriteInteger("Form", "Height", s.height);
  ini.WriteInteger("Form", "Left", s.left);
  ini.WriteInteger("Form", "Top", s.top);
  ini.Write("CAD", "Button", s.insertButtonCaption);
  ini.Write("Folder", "TopFolder", s.topFolder);
  ini.Write("FileMask", "Ext", s.fileMask);
  ini.Write("ODA", "FullName", s.converterPath);
  ini.WriteBool("ODA", "dispFlag", s.showConverter);
  ini.Write("FileName", "Mask", s.searchWords);
  ini.WriteBool("FileName", "OR", s.searchOr);
  ini.WriteBool("PdfToText", "usesPdfium", s.usesPdfium);
  ini.Write("Target", "ProgID", s.targetProgId);
}

TextTable ReadTextTable(const std::string& path) {
  TextTable t;
  std::ifstream f(path, std::ios::binary);
  if (!f) return t;
  t.existed = true;
  std::ostringstream ss;
  ss << f.rdbuf();
  const std::string bytes = ss.str();
  BomInfo bom = DetectBom(bytes);
  t.bom = bom.encoding.has_value();
  std::string text = DecodeText(bytes, TextEncoding::Ansi, &t.encoding);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    t.lines.push_back(std::move(line));
    start = end + 1;
  }
  return t;
}

bool WriteTextTable(const std::string& path, const std::vector<std::string>& lines,
                    const TextTable& as) {
  std::string text;
  for (const std::string& l : lines) {
    text += l;
    text += "\r\n";
  }
  std::string bytes;
  if (!text.empty()) {
#ifdef _WIN32
    const bool newFileAsUtf8 = false;
#else
    const bool newFileAsUtf8 = true;  // the ANSI code page is not the desktop's here
#endif
    if (!as.existed && newFileAsUtf8) {
      bytes = EncodeText(text, TextEncoding::Utf8, true);
    } else {
      bytes = EncodeText(text, as.encoding, as.bom);
    }
  }
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  f.close();
  return !f.fail();
}

std::optional<std::string> FindTargetDisplayName(const std::vector<std::string>& lines,
                                                 const std::string& progId) {
  const std::string needle = "\t" + progId;
  for (const std::string& line : lines) {
    size_t at = line.find(needle);
    if (at != std::string::npos) return line.substr(0, at);
  }
  return std::nullopt;
}

TargetCaptions CaptionsForTarget(const std::string& name, const std::string& appTitle) {
  return {"ターゲット = " + name, name + " へ挿入", appTitle + " [ " + name + " ]"};
}

int DeleteDxfFiles(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  int deleted = 0;
  for (fs::directory_iterator it(fs::path(std::u8string(folder.begin(), folder.end())), ec), end;
       !ec && it != end; it.increment(ec)) {
    const fs::directory_entry& e = *it;
    const std::u8string name = e.path().filename().u8string();
    if (!catalogue::MatchesMask("*.dxf", std::string(name.begin(), name.end()))) continue;
    std::error_code statEc;
    // Links, folders and special files are left alone.
    if (!e.is_regular_file(statEc) || e.is_symlink(statEc)) continue;
    if (fs::remove(e.path(), statEc)) ++deleted;
  }
  return deleted;
}

}  // namespace kestrel::app

#include "preview/core/PreviewRules.h"

#include <array>
#include <cstdio>

#include "base/TextCodec.h"

namespace kestrel::preview {
namespace {

bool Contains(std::string_view s, std::string_view part) {
  return s.find(part) != std::string_view::npos;
}

size_t NameStart(std::string_view path) {
#ifdef _WIN32
  const size_t sep = path.find_last_of("\\/:");
#else
  const size_t sep = path.find_last_of('/');
#endif
  return sep == std::string_view::npos ? 0 : sep + 1;
}

}  // namespace

std::string UpperExtension(std::string_view path) {
  // A dot in a folder name is not an extension.
  const std::string_view name = path.substr(NameStart(path));
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : AsciiUpper(name.substr(dot));
}

std::string FileNameOf(std::string_view path) {
  return std::string(path.substr(NameStart(path)));
}

Highlighter ChooseHighlighter(std::string_view e) {
  if (Contains(e, "LSP")) return Highlighter::AutoLisp;
  if (Contains(e, "PAS") || (Contains(e, "DPR") && !Contains(e, "DPROJ")))
    return Highlighter::Pascal;
  if (Contains(e, "BAS") || Contains(e, "VB")) return Highlighter::VisualBasic;
  if (Contains(e, "CS")) return Highlighter::CSharp;
  if (Contains(e, "CPP") || e == ".C" || e == ".H" || e == ".INO") return Highlighter::Cpp;
  return Highlighter::None;
}

bool IsPictureExtension(std::string_view e) {
  for (std::string_view p : {".BMP", ".PNG", ".ICO", ".JPG", ".JPEG", ".WMF", ".EMF"}) {
    if (e == p) return true;
  }
  return false;
}

bool IsExtractableExtension(std::string_view ext) {
  static constexpr std::array<std::string_view, 19> kList = {
      ".doc", ".docx", ".xls", ".xlsx", ".xlsm", ".rtf", ".ppt", ".pptx", ".xls", ".sxw",
      ".sxc", ".sxi",  ".sxd", ".jtd",  ".jtt",  ".pdf", ".mht", ".htm",  ".html"};
  std::string lower(ext);
  for (char& c : lower)
    c = AsciiLower(c);
  for (std::string_view item : kList) {
    if (lower == item) return true;
  }
  return false;
}

std::string FormatDosDateTime(uint32_t v) {
  const unsigned date = v >> 16, time = v & 0xFFFF;
  char buf[40];
  std::snprintf(buf, sizeof buf, "[%04u/%02u/%02u %02u:%02u:%02u] ", 1980 + (date >> 9),
                (date >> 5) & 15, date & 31, time >> 11, (time >> 5) & 63, (time & 31) * 2);
  return buf;
}

std::string PreviewTitle(uint32_t dosDateTime, std::string_view path) {
  return FormatDosDateTime(dosDateTime) + FileNameOf(path);
}

}  // namespace kestrel::preview

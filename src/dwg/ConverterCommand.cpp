#include "dwg/ConverterCommand.h"

namespace kestrel::dwg {
namespace {

bool IsSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::Windows && c == '\\');
}

size_t LastSeparator(std::string_view path, PathStyle style) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1], style)) return i - 1;
  }
  return std::string_view::npos;
}

// "C:\" on Windows, "/" on POSIX: the folder text that keeps its separator.
bool IsRoot(std::string_view folder, PathStyle style) {
  if (style == PathStyle::Windows) {
    return folder.size() == 3 && folder[1] == ':' && IsSeparator(folder[2], style);
  }
  return folder == "/";
}

std::string WithoutTrailingSeparator(std::string_view folder, PathStyle style) {
  while (!folder.empty() && IsSeparator(folder.back(), style) && !IsRoot(folder, style))
    folder.remove_suffix(1);
  return std::string(folder);
}

}  // namespace

std::string FolderOf(std::string_view path, PathStyle style) {
  const size_t sep = LastSeparator(path, style);
  if (sep == std::string_view::npos) {
    // "C:plan.dwg" names the drive's current folder; a bare name has none.
    if (style == PathStyle::Windows && path.size() >= 2 && path[1] == ':') {
      return std::string(path.substr(0, 2));
    }
    return std::string();
  }
  return WithoutTrailingSeparator(path.substr(0, sep + 1), style);
}

std::string NameOf(std::string_view path, PathStyle style) {
  const size_t sep = LastSeparator(path, style);
  if (sep != std::string_view::npos) return std::string(path.substr(sep + 1));
  if (style == PathStyle::Windows && path.size() >= 2 && path[1] == ':') {
    return std::string(path.substr(2));
  }
  return std::string(path);
}

std::vector<std::string> ConverterArguments(std::string_view dwgPath, std::string_view outputFolder,
                                            PathStyle style) {
  return {FolderOf(dwgPath, style),
          WithoutTrailingSeparator(outputFolder, style),
          "ACAD2000",
          "DXF",
          "0",
          "0",
          NameOf(dwgPath, style)};
}

std::string ConverterParameterText(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& a : arguments) {
    if (!text.empty()) text += ' ';
    text += '"';
    text += a;
    text += '"';
  }
  return text;
}

std::string ExpectedDxfPath(std::string_view dwgPath, std::string_view outputFolder,
                            PathStyle style) {
  std::string name = NameOf(dwgPath, style);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  std::string folder(outputFolder);
  if (!folder.empty() && !IsSeparator(folder.back(), style)) {
    folder += style == PathStyle::Windows ? '\\' : '/';
  }
  return folder + name + ".dxf";
}

bool ShowsConverterWindow(bool show, const std::vector<std::string>& arguments) {
  return show || (arguments.size() >= 2 && (arguments[0].size() == 3 || arguments[1].size() == 3));
}

}  // namespace kestrel::dwg

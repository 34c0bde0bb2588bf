#include "app/core/Settings.h"

#include <cstdint>
#include <limits>

#include "base/PathBytes.h"
#include "base/RegularFile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kestrel::app {
namespace {

// "*.dxf" as the platform matches it, ignoring case; for narrow and wide names.
template <typename Char>
bool HasDxfExtension(std::basic_string_view<Char> name) {
  auto lower = [](Char c) { return (c >= 'A' && c <= 'Z') ? Char(c + 32) : c; };
  const size_t n = name.size();
  return n >= 4 && name[n - 4] == '.' && lower(name[n - 3]) == 'd' && lower(name[n - 2]) == 'x' &&
         lower(name[n - 1]) == 'f';
}

}  // namespace

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
  // Not waiting on a FIFO in the table's place, and not reading a device without end.
  std::optional<std::string> bytes =
      ReadRegularFile(NativePath(path), std::numeric_limits<uint64_t>::max());
  if (!bytes) return {};
  return ParseTextTable(*bytes);
}

TextTable ParseTextTable(std::string_view bytes) {
  TextTable t;
  t.existed = true;
  BomInfo bom = DetectBom(bytes);
  t.bom = bom.encoding.has_value();
  // Without a mark, valid UTF-8 is UTF-8 (how Linux editors write); a Japanese text in code
  // page 932 is practically never valid UTF-8. Plain ASCII counts as the ANSI code page.
  const TextEncoding unmarked =
      !IsAscii(bytes) && IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Ansi;
  std::string text = DecodeText(bytes, unmarked, &t.encoding);
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

std::string TextTableBytes(const std::vector<std::string>& lines, const TextTable& as) {
  std::string text;
  for (const std::string& l : lines) {
    text += l;
    text += "\r\n";
  }
  if (text.empty()) return text;
#ifdef _WIN32
  const bool newFileAsUtf8 = false;
#else
  const bool newFileAsUtf8 = true;  // the ANSI code page is not the desktop's here
#endif
  if (!as.existed && newFileAsUtf8) return EncodeText(text, TextEncoding::Utf8, true);
  if (as.encoding == TextEncoding::Ansi) {
    // ANSI bytes that would read back as UTF-8, like a character the code page lacks, make
    // it UTF-8 with a mark.
    std::optional<std::string> ansi = Utf8ToAnsiUnambiguous(text);
    return ansi ? *ansi : EncodeText(text, TextEncoding::Utf8, true);
  }
  return EncodeText(text, as.encoding, as.bom);
}

bool WriteTextTable(const std::string& path, const std::vector<std::string>& lines,
                    const TextTable& as) {
  return WriteRegularFile(NativePath(path), TextTableBytes(lines, as));
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

#ifdef _WIN32

int DeleteDxfFiles(const std::string& folder) {
  std::wstring dir(MultiByteToWideChar(CP_UTF8, 0, folder.data(), int(folder.size()), nullptr, 0),
                   L'\0');
  MultiByteToWideChar(CP_UTF8, 0, folder.data(), int(folder.size()), dir.data(), int(dir.size()));
  while (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/'))
    dir.pop_back();
  // A junction or a link in the folder's place is a reparse point: nothing is deleted through it.
  const DWORD attrs = GetFileAttributesW(dir.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY) ||
      (attrs & FILE_ATTRIBUTE_REPARSE_POINT))
    return 0;
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileExW((dir + L"\\*.dxf").c_str(), FindExInfoBasic, &found,
                              FindExSearchNameMatch, nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int deleted = 0;
  do {
    // Plain files only (folders, reparse points and the like are left alone), and only by their
    // long name: the pattern also matches short aliases such as "PLAN~1.DXF" of "plan.dxf1".
    const std::wstring name = found.cFileName;
    if (!HasDxfExtension(std::wstring_view(name)) || (found.dwFileAttributes & ~DWORD(0x1FF)) ||
        (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      continue;
    if (DeleteFileW((dir + L"\\" + name).c_str())) ++deleted;
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return deleted;
}

#else

int DeleteDxfFiles(const std::string& folder) {
  // "dir/" would resolve a link named dir: look at the folder's own entry.
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  struct stat entry;
  if (lstat(path.c_str(), &entry) != 0 || !S_ISDIR(entry.st_mode) || entry.st_uid != geteuid())
    return 0;
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return 0;
  // The folder opened must be the one looked at, not one swapped in meanwhile.
  struct stat opened;
  if (fstat(fd, &opened) != 0 || opened.st_dev != entry.st_dev || opened.st_ino != entry.st_ino) {
    close(fd);
    return 0;
  }
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return 0;
  }
  int deleted = 0;
  while (const dirent* e = readdir(dir)) {
    if (!HasDxfExtension(std::string_view(e->d_name))) continue;
    // Relative to the opened folder and without following links: a link named "x.dxf" is
    // neither followed nor removed, and neither is a folder or a device.
    struct stat st;
    if (fstatat(dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
      continue;
    if (unlinkat(dirfd(dir), e->d_name, 0) == 0) ++deleted;
  }
  closedir(dir);
  return deleted;
}

#endif

}  // namespace kestrel::app

#include "dxf/HeaderScan.h"

#include "base/RegularFile.h"
#include "dxf/DxfLines.h"
#include "dxf/DxfNumbers.h"

namespace kestrel::dxf {

namespace {

DxfVersion Scan(LineSource& source) {
  DxfVersion result;
  result.success = true;
  result.utf8Bom = source.SkipUtf8Bom();
  bool inHeader = false;
  LinePair pair;
  while (source.NextPair(pair)) {
    const std::string_view codeText = TrimBlanks(pair.code);
    const std::string_view value = TrimBlanks(pair.value);
    int32_t code = 0;
    if (!ParseInt32(codeText, code)) break;
    if (inHeader && value == "$ACADVER") {
      int32_t next = 0;
      if (source.NextPair(pair) && ParseInt32(TrimBlanks(pair.code), next) && next == 1) {
        result.version = AnsiToUtf8(TrimBlanks(pair.value));
      }
      break;
    }
    if (code == 2) {
      if (value == "HEADER") inHeader = true;
      if (value == "ENTITIES" || value == "BLOCKS") break;
    }
  }
  if (source.Failed()) result.success = false;
  return result;
}

}  // namespace

FileSignature ReadFileSignature(const std::filesystem::path& path) {
  FileSignature result;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    result.success = true;
    return result;
  }
  RegularFile file = RegularFile::Open(path);
  if (!file.IsOpen()) return result;
  unsigned char head[7] = {};
  const size_t got = file.Read(head, sizeof head);
  if (file.Failed()) return result;
  result.success = true;
  if (got < 6) return result;
  for (size_t i = 0; i < 6 && head[i] != 0; ++i) {
    // One character per byte: bytes above 0x7F stand for U+0080..U+00FF.
    if (head[i] < 0x80) {
      result.text += static_cast<char>(head[i]);
    } else {
      result.text += static_cast<char>(0xC0 | (head[i] >> 6));
      result.text += static_cast<char>(0x80 | (head[i] & 0x3F));
    }
  }
  return result;
}

DxfVersion ScanDxfVersion(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return {true, {}, false};
  RegularFile file = RegularFile::Open(path);
  if (!file.IsOpen()) return {};
  // The version is near the start: small reads.
  LineSource source(file, size_t(64) << 10);
  return Scan(source);
}

DxfVersion ScanDxfVersionBuffer(std::string_view bytes) {
  LineSource source(bytes);
  return Scan(source);
}

std::string ReleaseNameOfVersion(std::string_view version) {
  struct Row {
    std::string_view version;
    std::string_view names;
  };
  static constexpr Row kReleases[] = {
      {"AC1004", "EX-Ⅱ"},
      {"AC1005", "GX-Ⅲ"},
      {"AC1006", "GX-5"},
      {"AC1009", "R11/R12/LT R1/LT R2"},
      {"AC1012", "R13/LT95"},
      {"AC1013", "R14"},
      {"AC1014", "R14/R14.01/LT97/LT98"},
      {"AC1015", "2000/2000i/2002"},
      {"AC1018", "2004/2005/2006"},
      {"AC1021", "2007/2008/2009"},
      {"AC1024", "2010/2011/2012"},
      {"AC1027", "2013/2014/2015/2016/2017"},
      {"AC1032", "2018/2019/2020/2021/2022/2023"},
  };
  for (const Row& row : kReleases) {
    if (row.version == version) return std::string(row.names);
  }
  return std::string(version);
}

TextEncoding DxfTextEncoding(const DxfVersion& scan) {
  if (scan.utf8Bom) return TextEncoding::Utf8;
  return scan.version < "AC1021" ? TextEncoding::Ansi : TextEncoding::Utf8;
}

}  // namespace kestrel::dxf

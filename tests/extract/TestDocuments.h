// Small documents built in the tests: zip containers written with libzip, a compound file
// with one stream, and the XML parts of the Office formats around a body.
#pragma once

#include <unistd.h>
#include <zip.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace kestrel::test {

struct ZipPart {
  std::string name;
  std::string content;
  bool encrypted = false;
};

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The bytes of a zip archive holding `parts`, deflated (encrypted ones with AES-256).
inline std::string MakeZip(const std::vector<ZipPart>& parts) {
  static int counter = 0;
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("kestrel-zip-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".zip");
  int error = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!z) return {};
  for (const ZipPart& p : parts) {
    zip_source_t* s = zip_source_buffer(z, p.content.data(), p.content.size(), 0);
    const zip_int64_t index = zip_file_add(z, p.name.c_str(), s, ZIP_FL_ENC_UTF_8);
    zip_set_file_compression(z, uint64_t(index), ZIP_CM_DEFLATE, 1);
    if (p.encrypted) zip_file_set_encryption(z, uint64_t(index), ZIP_EM_AES_256, "secret");
  }
  zip_close(z);
  std::string bytes = ReadBytes(path);
  std::filesystem::remove(path);
  return bytes;
}

inline std::string WordDocument(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
         "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
         "<w:body>" +
         body + "</w:body></w:document>";
}

inline std::string Docx(const std::string& body) {
  return MakeZip({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", WordDocument(body)}});
}

inline std::string Paragraph(const std::string& text) {
  return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>";
}

// A compound file (version 3, 512-byte sectors) with one stream of at least 4096 bytes.
inline std::string MakeCompoundFile(const std::u16string& streamName, std::string stream) {
  if (stream.size() < 4096) stream.resize(4096, '\0');
  const size_t sectors = (stream.size() + 511) / 512;
  std::string file(512 * (3 + sectors), '\0');
  auto u16 = [&](size_t at, uint16_t v) { std::memcpy(&file[at], &v, 2); };
  auto u32 = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
  std::memcpy(&file[0], "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  u16(24, 0x3E);
  u16(26, 3);
  u16(28, 0xFFFE);
  u16(30, 9);
  u16(32, 6);
  u32(44, 1);           // one FAT sector
  u32(48, 1);           // the directory in sector 1
  u32(56, 4096);        // mini stream cut-off
  u32(60, 0xFFFFFFFE);  // no mini FAT
  u32(68, 0xFFFFFFFE);  // no DIFAT
  u32(76, 0);           // the FAT in sector 0
  for (int i = 1; i < 109; ++i)
    u32(76 + 4 * i, 0xFFFFFFFF);
  const size_t fat = 512, dir = 1024, data = 1536;
  for (size_t i = 0; i < 128; ++i)
    u32(fat + 4 * i, 0xFFFFFFFF);
  u32(fat + 0, 0xFFFFFFFD);  // the FAT's own sector
  u32(fat + 4, 0xFFFFFFFE);  // the directory
  for (size_t i = 0; i < sectors; ++i)
    u32(fat + 4 * (2 + i), i + 1 < sectors ? uint32_t(3 + i) : 0xFFFFFFFE);
  auto entry = [&](size_t at, const std::u16string& name, uint8_t type, uint32_t start,
                   uint32_t size, uint32_t child) {
    for (size_t k = 0; k < name.size(); ++k)
      u16(at + 2 * k, name[k]);
    u16(at + 64, uint16_t(2 * (name.size() + 1)));
    file[at + 66] = char(type);
    u32(at + 68, 0xFFFFFFFF);
    u32(at + 72, 0xFFFFFFFF);
    u32(at + 76, child);
    u32(at + 116, start);
    u32(at + 120, size);
  };
  entry(dir, u"Root Entry", 5, 0xFFFFFFFE, 0, 1);
  entry(dir + 128, streamName, 2, 2, uint32_t(stream.size()), 0xFFFFFFFF);
  std::memcpy(&file[data], stream.data(), stream.size());
  return file;
}

inline std::string Utf16Le(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) {
    out += char(c & 0xFF);
    out += char(c >> 8);
  }
  return out;
}

}  // namespace kestrel::test

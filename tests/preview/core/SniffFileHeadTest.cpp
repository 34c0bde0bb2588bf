#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/SpecialFiles.h"
#include "preview/core/FileHead.h"
#include "preview/core/TextDecode.h"

using namespace kestrel::preview;

namespace {

std::string Bytes(std::initializer_list<int> v) {
  std::string s;
  for (int c : v)
    s += char(c);
  return s;
}

// A 32-byte head of printable bytes with `c` at offset `at`.
std::string Printable32(int at = -1, char c = 0) {
  std::string s = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
  if (at >= 0) s[at] = c;
  return s;
}

}  // namespace

TEST(SniffFileHead, ClassifiesHeads) {
  struct Case {
    const char* name;
    std::string bytes;
    bool binary;
    std::string head;
  };
  const std::string pdf = std::string("%PDF-1.7\n") + Bytes({0xE2, 0xE3, 0xCF, 0xD3}) +
                          "\n1 0 obj\n<< /Type /Catalog >>";
  const std::string dwg = std::string("AC1032") + std::string(26, '\0');
  const Case cases[] = {
      {"empty", "", false, ""},
      {"short with controls", std::string("ab\0\1\2", 5), false, ""},
      {"31 bytes with a zero", std::string(30, 'x') + '\0', false, ""},
      {"printable", Printable32(), false, Printable32().substr(0, 31)},
      {"tab only", Printable32(5, '\t'), false, "ABCDE"},
      {"line feed and carriage return", Printable32(3, '\n').replace(9, 1, "\r"), false, "ABC"},
      {"zero at offset 10", Printable32(10, '\0'), true, "ABCDEFGHIJ"},
      {"control byte at offset 31 alone", Printable32(31, '\1'), false,
       Printable32().substr(0, 31)},
      {"pdf", pdf, true, "%PDF-1.7"},
      {"dwg version", dwg, true, "AC1032"},
      {"leading zero", std::string("\0", 1) + Printable32().substr(1), true, ""},
      // A leading line break trims away in the first pass but cuts the head in the second.
      {"leading line break", "\n" + Printable32().substr(1), false, ""},
      {"utf-16 latin", Bytes({'H', 0, 'e', 0, 'l', 0, 'l', 0}) + std::string(24, 'x'), true, "H"},
      {"blanks trimmed", "  hello world" + std::string(19, ' '), false, "hello world"},
      {"ansi head", Bytes({0x93, 0xFA, 0x96, 0x7B}) + Printable32().substr(4), false,
       "日本" + Printable32().substr(4, 27)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const THeadSniff s = SniffHeadBytes(c.bytes);
    EXPECT_EQ(s.binary, c.binary);
    EXPECT_EQ(s.head, c.head);
  }
}

TEST(SniffFileHead, ReadsOnlyTheFirst32BytesOfAFile) {
  const auto dir = std::filesystem::temp_directory_path() / "kestrel-sniff-test";
  std::filesystem::create_directories(dir);
  const auto file = dir / "big.txt";
  {
    std::ofstream out(file, std::ios::binary);
    out << Printable32() << std::string(1000, '\0');  // binary bytes after the head do not count
  }
  const THeadSniff s = SniffFileHead(file.string());
  EXPECT_FALSE(s.binary);
  EXPECT_EQ(s.head, Printable32().substr(0, 31));
  std::filesystem::remove_all(dir);
}

TEST(SniffFileHead, UnreadableFilesReportReadError) {
  const auto dir = std::filesystem::temp_directory_path() / "kestrel-sniff-missing";
  std::filesystem::create_directories(dir);
  for (const std::string& path : {(dir / "missing.txt").string(), dir.string()}) {
    SCOPED_TRACE(path);
    const THeadSniff s = SniffFileHead(path);
    EXPECT_TRUE(s.binary);
    EXPECT_EQ(s.head, "read error!");
  }
  std::filesystem::remove_all(dir);
}

// Selecting a FIFO froze the window: the sniff waited in open() for a writer, and the text
// load read an endless writer until memory ran out. Neither may wait on anything but a
// regular file.
TEST(SniffAndTextLoad, SpecialFilesReadAsErrorsWithoutWaiting) {
  const kestrel::test::SpecialFiles special(".txt");
  for (const kestrel::test::SpecialFile& file : special.Files()) {
    SCOPED_TRACE(file.kind);
    const auto sniffed = kestrel::test::SpecialFiles::Read(file, [](const std::string& path) {
      const THeadSniff s = SniffFileHead(path);
      return std::string(s.binary ? "binary " : "text ") + s.head;
    });
    EXPECT_EQ(sniffed, "binary read error!") << "(nothing: it did not return within a second)";
    const auto whole = kestrel::test::SpecialFiles::Read(file, [](const std::string& path) {
      return std::string(ReadWholeFile(path) ? "read" : "not read");
    });
    EXPECT_EQ(whole, "not read") << "(nothing: it did not return within a second)";
  }
}

TEST(SniffAndTextLoad, TextLoadReadsARegularFileWhole) {
  // Larger than any block the reader might use, with every byte value.
  std::string bytes;
  for (int i = 0; i < 300'000; ++i)
    bytes += char(i * 7);
  const kestrel::test::SpecialFiles folder("");  // a folder of this process's own
  const auto path = folder.Folder() / "whole-text.bin";
  std::ofstream(path, std::ios::binary) << bytes;
  EXPECT_EQ(ReadWholeFile(path.string()), bytes);
  EXPECT_EQ(ReadWholeFile((folder.Folder() / "none.txt").string()), std::nullopt);
}

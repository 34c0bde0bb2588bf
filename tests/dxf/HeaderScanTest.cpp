#include "dxf/HeaderScan.h"

#include <gtest/gtest.h>

#include "DxfTestFiles.h"

namespace kestrel::dxf {
namespace {

using testing::Pairs;
using testing::WriteTempFile;

TEST(HeaderScan, FileSignature) {
  struct Case {
    std::string name;
    std::string bytes;
    std::string signature;
  };
  const Case cases[] = {
      {"dwg", std::string("AC1032\0\0\0\0", 10), "AC1032"},
      {"shortzero",
       std::string("AC10\0"
                   "2x",
                   7),
       "AC10"},
      {"ascii", "  0\r\nSECTION\r\n", "  0\r\nS"},
      {"three", "abc", ""},
      {"six", "AC1015", "AC1015"},
      {"high",
       "\xE9"
       "ABCDEF",
       "éABCDE"},
  };
  for (const Case& c : cases) {
    const FileSignature s = ReadFileSignature(WriteTempFile("sig-" + c.name, c.bytes));
    EXPECT_TRUE(s.success) << c.name;
    EXPECT_EQ(s.text, c.signature) << c.name;
  }
  const FileSignature missing = ReadFileSignature("/nonexistent/file.dwg");
  EXPECT_TRUE(missing.success);
  EXPECT_EQ(missing.text, "");
  EXPECT_FALSE(ReadFileSignature(::testing::TempDir()).success);  // a folder cannot be read
}

TEST(HeaderScan, DxfVersion) {
  struct Case {
    std::string name;
    std::string bytes;
    std::string version;
    bool bom;
  };
  const std::string header = Pairs("0 SECTION\n2 HEADER\n9 $ACADVER\n1 AC1015\n9 $X\n1 y");
  const Case cases[] = {
      {"header", header, "AC1015", false},
      {"crlf", "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\n AC1027 \r\n",
       "AC1027", false},
      {"bom", "\xEF\xBB\xBF" + header, "AC1015", true},
      {"entitiesfirst", Pairs("0 SECTION\n2 ENTITIES\n9 $ACADVER\n1 AC1015"), "", false},
      {"blocksfirst", Pairs("0 SECTION\n2 BLOCKS\n0 SECTION\n2 HEADER\n9 $ACADVER\n1 AC1015"), "",
       false},
      {"notheader", Pairs("0 SECTION\n2 CLASSES\n9 $ACADVER\n1 AC1015"), "", false},
      {"badcode", Pairs("0 SECTION\nx HEADER\n9 $ACADVER\n1 AC1015"), "", false},
      {"othercode", Pairs("0 SECTION\n2 HEADER\n9 $ACADVER\n3 AC1015\n1 AC1018"), "", false},
      {"truncated", Pairs("0 SECTION\n2 HEADER\n9 $ACADVER"), "", false},
      {"empty", "", "", false},
  };
  for (const Case& c : cases) {
    const DxfVersion v = ScanDxfVersion(WriteTempFile("ver-" + c.name, c.bytes));
    EXPECT_TRUE(v.success) << c.name;
    EXPECT_EQ(v.version, c.version) << c.name;
    EXPECT_EQ(v.utf8Bom, c.bom) << c.name;
    EXPECT_EQ(ScanDxfVersionBuffer(c.bytes).version, c.version) << c.name;
  }
  const DxfVersion missing = ScanDxfVersion("/nonexistent/plan.dxf");
  EXPECT_TRUE(missing.success);
  EXPECT_EQ(missing.version, "");
}

TEST(HeaderScan, ReleaseNamesAndEncoding) {
  EXPECT_EQ(ReleaseNameOfVersion("AC1004"), "EX-Ⅱ");
  EXPECT_EQ(ReleaseNameOfVersion("AC1005"), "GX-Ⅲ");
  EXPECT_EQ(ReleaseNameOfVersion("AC1015"), "2000/2000i/2002");
  EXPECT_EQ(ReleaseNameOfVersion("AC1032"), "2018/2019/2020/2021/2022/2023");
  EXPECT_EQ(ReleaseNameOfVersion("AC1030"), "AC1030");
  EXPECT_EQ(ReleaseNameOfVersion("ac1015"), "ac1015");
  EXPECT_EQ(ReleaseNameOfVersion(""), "");

  struct Case {
    std::string version;
    bool bom;
    TextEncoding encoding;
  };
  const Case cases[] = {
      {"", false, TextEncoding::Ansi},       {"AC1018", false, TextEncoding::Ansi},
      {"AC1021", false, TextEncoding::Utf8}, {"AC1032", false, TextEncoding::Utf8},
      {"AC2.10", false, TextEncoding::Utf8}, {"AC1009", true, TextEncoding::Utf8},
      {"", true, TextEncoding::Utf8},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DxfTextEncoding({true, c.version, c.bom}), c.encoding) << c.version << c.bom;
  }
}

}  // namespace
}  // namespace kestrel::dxf

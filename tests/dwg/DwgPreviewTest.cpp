// The DWG preview reader over crafted files: the version gate, the entry's code, the bitmap's
// file header, and every offset and size of hostile files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "common/SpecialFiles.h"
#include "dwg/DwgPreview.h"
#include "dwg/DwgTestFiles.h"

namespace kestrel::dwg {
namespace {

using test::MakeDib;
using test::MakeDwg;
using test::PutU32;
using test::TDib;
using test::TDwgLayout;

TDwgPreview Read(const std::string& bytes) {
  MemorySource source(bytes.data(), bytes.size());
  return ReadDwgPreview(source);
}

std::string Dib8() {
  TDib d;
  d.palette.assign(256, 0);
  d.palette[1] = 0xFF0000;
  d.index = [](int x, int y) { return x == y ? 1 : 0; };
  return MakeDib(d);
}

uint32_t U32At(const std::string& s, size_t at) {
  return uint8_t(s[at]) | uint8_t(s[at + 1]) << 8 | uint8_t(s[at + 2]) << 16 |
         uint32_t(uint8_t(s[at + 3])) << 24;
}

TEST(DwgPreview, BitmapEntryGetsItsFileHeaderInFront) {
  const std::string dib = Dib8();
  const TDwgPreview r = Read(MakeDwg(dib));
  ASSERT_EQ(r.status, DwgPreviewStatus::Picture);
  EXPECT_EQ(r.version, 1015);
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.kind, DwgPictureKind::Bmp);
  ASSERT_EQ(r.bytes.size(), dib.size() + 14);
  EXPECT_EQ(r.bytes.substr(0, 2), "BM");
  EXPECT_EQ(U32At(r.bytes, 2), dib.size() + 14);
  EXPECT_EQ(U32At(r.bytes, 6), 0u);
  EXPECT_EQ(U32At(r.bytes, 10), 1078u);
  EXPECT_EQ(r.bytes.substr(14), dib);
}

TEST(DwgPreview, PngEntryIsTakenAsItIs) {
  const std::string png = "\x89PNG\r\n\x1a\n-any bytes-";
  const TDwgPreview r = Read(MakeDwg(png, {.version = "AC1032", .code = 6}));
  ASSERT_EQ(r.status, DwgPreviewStatus::Picture);
  EXPECT_EQ(r.kind, DwgPictureKind::Png);
  EXPECT_EQ(r.version, 1032);
  EXPECT_EQ(r.bytes, png);
}

// The pixels' offset from the DIB's own header, where a fixed 1078 would garble every picture
// that is not 8 bits with a full palette.
TEST(DwgPreview, PixelOffsetFollowsTheDibHeader) {
  struct Row {
    int depth;
    size_t colours;
    bool bitFields;
    uint32_t offset;
  } rows[] = {{8, 256, false, 1078}, {8, 16, false, 14 + 40 + 64}, {1, 2, false, 62},
              {4, 16, false, 118},   {24, 0, false, 54},           {32, 0, false, 54},
              {32, 0, true, 66}};
  for (const Row& row : rows) {
    TDib d;
    d.depth = row.depth;
    d.palette.assign(row.colours, 0x123456);
    d.index = [](int, int) { return 0; };
    d.rgb = [](int, int) { return 0x808080u; };
    d.bitFields = row.bitFields;
    const std::string dib = MakeDib(d);
    EXPECT_EQ(BmpPixelOffset(reinterpret_cast<const unsigned char*>(dib.data()), dib.size()),
              row.offset)
        << row.depth << " bits, " << row.colours << " colours";
  }
  // No colour count: the depth's full palette. An old 12-byte header: entries of three bytes.
  std::string old;
  PutU32(old, 0, 12);
  test::PutU16(old, 4, 2);
  test::PutU16(old, 6, 2);
  test::PutU16(old, 8, 1);
  test::PutU16(old, 10, 8);
  old.resize(12 + 768 + 8, '\0');
  EXPECT_EQ(BmpPixelOffset(reinterpret_cast<const unsigned char*>(old.data()), old.size()),
            14u + 12 + 768);
}

TEST(DwgPreview, VersionAndCodeDecideWhetherThereIsAPicture) {
  const std::string dib = Dib8();
  struct Row {
    const char* version;
    uint8_t code;
    DwgPreviewStatus status;
    int number;
  } rows[] = {
      {"AC1015", 2, DwgPreviewStatus::Picture, 1015},
      {"AC1013", 2, DwgPreviewStatus::Picture, 1013},
      {"AC1012", 2, DwgPreviewStatus::NoPreview, 1012},  // release 13 and older: none
      {"AC1009", 2, DwgPreviewStatus::NoPreview, 1009},
      {"ACxx15", 2, DwgPreviewStatus::NoPreview, 0},  // not a number
      {"%PDF-1", 2, DwgPreviewStatus::NoPreview, 0},
      {"AC1018", 3, DwgPreviewStatus::NoPreview, 1018},  // a metafile
      {"AC1018", 0, DwgPreviewStatus::NoPreview, 1018},
  };
  for (const Row& row : rows) {
    const TDwgPreview r = Read(MakeDwg(dib, {.version = row.version, .code = row.code}));
    EXPECT_EQ(r.status, row.status) << row.version << " code " << int(row.code);
    EXPECT_EQ(r.version, row.number) << row.version;
  }
}

// Every offset and size out of range, and headers that claim more than the entry holds: the
// silent abort, without reading past the file or allocating what the file does not hold.
TEST(DwgPreview, HostileOffsetsAndSizesAbort) {
  const std::string dib = Dib8();
  const std::string good = MakeDwg(dib);
  std::vector<std::pair<const char*, std::string>> cases;
  cases.push_back({"three bytes", "AC1"});
  cases.push_back({"no image seeker", "AC1015\0\0\0\0\0\0"});
  cases.push_back({"seeker past the end", [&] {
                     std::string f = good;
                     PutU32(f, 13, 0x7FFFFFF0);
                     return f;
                   }()});
  cases.push_back({"seeker at the last byte", [&] {
                     std::string f = good;
                     PutU32(f, 13, uint32_t(f.size() - 1));
                     return f;
                   }()});
  cases.push_back({"seeker all ones", [&] {
                     std::string f = good;
                     PutU32(f, 13, 0xFFFFFFFF);
                     return f;
                   }()});
  cases.push_back({"negative start", MakeDwg(dib, {.start = 0x80000000})});
  cases.push_back({"start past the end", MakeDwg(dib, {.start = 0x10000000})});
  cases.push_back({"zero size", MakeDwg(dib, {.size = 0})});
  cases.push_back({"negative size", MakeDwg(dib, {.size = 0xFFFFFF00})});
  cases.push_back({"size over 64 MiB", MakeDwg(dib, {.size = (64 << 20) + 1})});
  cases.push_back({"size past the end", MakeDwg(dib, {.size = int64_t(dib.size() + 1)})});
  cases.push_back(
      {"start and size past the end", MakeDwg(dib, {.start = 1000, .size = 0x7FFFF000})});
  auto withDib = [&](const std::function<void(std::string&)>& change) {
    std::string d = dib;
    change(d);
    return MakeDwg(d);
  };
  cases.push_back(
      {"DIB header larger than the entry", withDib([](std::string& d) { PutU32(d, 0, 100000); })});
  cases.push_back({"DIB header of 20 bytes", withDib([](std::string& d) { PutU32(d, 0, 20); })});
  cases.push_back(
      {"colours beyond the entry", withDib([](std::string& d) { PutU32(d, 32, 0xFFFFFFFF); })});
  cases.push_back({"pixels cut short", withDib([](std::string& d) { d.resize(d.size() - 1); })});
  cases.push_back(
      {"width past the pixels", withDib([](std::string& d) { PutU32(d, 4, 0x7FFFFFFF); })});
  cases.push_back(
      {"height past the pixels", withDib([](std::string& d) { PutU32(d, 8, 0x10000); })});
  cases.push_back({"zero width", withDib([](std::string& d) { PutU32(d, 4, 0); })});
  cases.push_back({"odd depth", withDib([](std::string& d) { test::PutU16(d, 14, 7); })});
  for (const auto& [name, bytes] : cases) {
    const TDwgPreview r = Read(bytes);
    EXPECT_EQ(r.status, DwgPreviewStatus::Abort) << name;
    EXPECT_TRUE(r.bytes.empty()) << name;
    EXPECT_FALSE(r.reason.empty()) << name;
  }
  // Every prefix of a good file lacks some of what is read.
  for (size_t n = 0; n < good.size(); ++n) {
    ASSERT_EQ(Read(good.substr(0, n)).status, DwgPreviewStatus::Abort) << n << " bytes";
  }
  EXPECT_EQ(Read(good).status, DwgPreviewStatus::Picture);
}

TEST(DwgPreview, FilesThatAreNotThereOrNotRegular) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("kestrel-dwg-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  EXPECT_EQ(ReadDwgPreviewFile(dir / "missing.dwg").status, DwgPreviewStatus::NoFile);
  std::filesystem::create_directory(dir / "folder.dwg");
  EXPECT_EQ(ReadDwgPreviewFile(dir / "folder.dwg").status, DwgPreviewStatus::Abort);
  const std::filesystem::path fifo = dir / "fifo.dwg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const auto status =
      test::RunInChild([&] { return std::to_string(int(ReadDwgPreviewFile(fifo).status)); });
  EXPECT_EQ(status, std::to_string(int(DwgPreviewStatus::Abort)));
  { std::ofstream(dir / "plan.dwg", std::ios::binary) << MakeDwg(Dib8()); }
  EXPECT_EQ(ReadDwgPreviewFile(dir / "plan.dwg").status, DwgPreviewStatus::Picture);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kestrel::dwg

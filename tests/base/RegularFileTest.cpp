#include "base/RegularFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "common/SpecialFiles.h"

using namespace kestrel;
namespace fs = std::filesystem;

namespace {

// A file of this process's own: test programs of other builds may run at the same time.
fs::path TempPath(const std::string& name) {
  return fs::path(::testing::TempDir()) / (std::to_string(getpid()) + "-" + name);
}

fs::path WriteFile(const std::string& name, const std::string& bytes) {
  const fs::path path = TempPath(name);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

std::string RandomBytes(size_t n) {
  std::mt19937 random(11);
  std::string s(n, '\0');
  for (char& c : s)
    c = char(random());
  return s;
}

}  // namespace

TEST(RegularFile, RefusesAtOnceWhatIsNotARegularFile) {
  const test::SpecialFiles special("");
  for (const test::SpecialFile& file : special.Files()) {
    SCOPED_TRACE(file.kind);
    const auto result = test::SpecialFiles::Read(file, [](const std::string& path) {
      const RegularFile opened = RegularFile::Open(path);
      const bool read = ReadRegularFile(path, uint64_t(1) << 40).has_value();
      return std::string(opened.IsOpen() ? "opened" : "refused") + (read ? " read" : "");
    });
    EXPECT_EQ(result, "refused") << "(nothing means it did not return within a second)";
  }
}

TEST(RegularFile, ReadsARegularFileWholeUpToTheLimitGiven) {
  const std::string bytes = RandomBytes(300'000);  // several reads of any block size
  const fs::path path = WriteFile("regular-whole.bin", bytes);
  EXPECT_EQ(ReadRegularFile(path, bytes.size()), bytes);
  EXPECT_FALSE(ReadRegularFile(path, bytes.size() - 1));  // larger than allowed: not cut
  EXPECT_EQ(ReadRegularFile(WriteFile("regular-empty.bin", ""), 0), "");
  EXPECT_FALSE(ReadRegularFile(TempPath("regular-missing.bin"), 100));
  EXPECT_FALSE(RegularFile::Open(TempPath("regular-missing.bin")).IsOpen());
}

TEST(RegularFile, ReadsStopAtTheSizeTheFileHadWhenOpened) {
  const std::string bytes = RandomBytes(10'000);
  const fs::path path = WriteFile("regular-grows.bin", bytes);
  {
    RegularFile file = RegularFile::Open(path);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Size(), bytes.size());
    std::ofstream(path, std::ios::binary | std::ios::app) << std::string(5000, 'x');
    std::string got(20'000, '\0');
    got.resize(file.Read(got.data(), got.size()));
    EXPECT_EQ(got, bytes);  // what was appended after the open is not read
    EXPECT_EQ(file.Read(got.data(), got.size()), 0u);
    EXPECT_FALSE(file.Failed());
  }
  {
    // A file that shrinks ends early, without an error.
    RegularFile file = RegularFile::Open(path);
    ASSERT_TRUE(file.IsOpen());
    fs::resize_file(path, 1000);
    std::string got(20'000, '\0');
    got.resize(file.Read(got.data(), got.size()));
    EXPECT_EQ(got, bytes.substr(0, 1000));
    EXPECT_FALSE(file.Failed());
  }
}

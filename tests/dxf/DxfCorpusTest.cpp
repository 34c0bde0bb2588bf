// Every DXF of the shared corpus, read as the load pipeline reads it.
#include <gtest/gtest.h>

#include <filesystem>

#include "dxf/DxfReader.h"
#include "dxf/HeaderScan.h"

namespace kestrel::dxf {
namespace {

TEST(DxfCorpus, EveryFileReads) {
  const std::filesystem::path folder = std::filesystem::path(KESTREL_CORPUS_DIR) / "dxf";
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no corpus at " << folder;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::filesystem::path& path = entry.path();
    const FileSignature signature = ReadFileSignature(path);
    ASSERT_TRUE(signature.success) << path;
    const DxfVersion version = ScanDxfVersion(path);
    ASSERT_TRUE(version.success) << path;
    Drawing d;
    int messages = 0;
    const std::string error =
        ReadDxfFile(d, path, DxfTextEncoding(version), {}, [&](const Message&) { ++messages; });
    ++files;
    EXPECT_FALSE(d.LayerAry.empty()) << path;
    // Binary DXF files are turned away by their signature before the reader sees them.
    if (signature.text.starts_with("AutoCA")) continue;
    EXPECT_EQ(error, "") << path;
    EXPECT_EQ(messages, 0) << path;
  }
  EXPECT_GT(files, 40);
}

}  // namespace
}  // namespace kestrel::dxf

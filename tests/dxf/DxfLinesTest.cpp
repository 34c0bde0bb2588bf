#include "dxf/DxfLines.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "DxfTestFiles.h"

namespace kestrel::dxf {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs AllPairs(LineSource& source, bool& bom) {
  bom = source.SkipUtf8Bom();
  Pairs pairs;
  LinePair pair;
  while (source.NextPair(pair))
    pairs.emplace_back(std::string(pair.code), std::string(pair.value));
  return pairs;
}

// A file read in chunks of any size gives the pairs the same bytes give in memory: line ends
// split between chunks, pairs longer than a chunk, the last lines without an end.
TEST(DxfLines, ChunkedFileGivesThePairsOfTheBytesInMemory) {
  std::vector<std::string> inputs = {
      "",
      "\xEF\xBB\xBF  0\r\nSECTION\r\n",
      "0\nLINE\r\n10\r1.5\r\n\r\n\n\r",
      "0\r\nTEXT\r\n1\r\n" + std::string(300, 'x') + "\r\n8\r\n" + std::string(90, 'y'),
      "62",
      "62\r",
      "1\n\n\n",
  };
  // Random lines of letters, blanks and every kind of line end.
  std::mt19937 random(7);
  const char alphabet[] = {'a', '1', ' ', '\r', '\n', '\n'};
  for (int i = 0; i < 60; ++i) {
    std::string bytes(random() % 400, ' ');
    for (char& c : bytes)
      c = alphabet[random() % sizeof alphabet];
    inputs.push_back(bytes);
  }
  for (const std::string& bytes : inputs) {
    LineSource inMemory(bytes);
    bool bomInMemory = false;
    const Pairs expected = AllPairs(inMemory, bomInMemory);
    const auto path = testing::WriteTempFile("lines.dxf", bytes);
    for (size_t chunk : {1, 2, 3, 5, 8, 13, 64, 4096}) {
      const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
          std::fopen(path.string().c_str(), "rb"), &std::fclose);
      ASSERT_TRUE(file);
      LineSource source(file.get(), bytes.size(), chunk);
      bool bom = false;
      EXPECT_EQ(AllPairs(source, bom), expected) << "chunk " << chunk << ": " << bytes;
      EXPECT_EQ(bom, bomInMemory);
      EXPECT_FALSE(source.Failed());
      EXPECT_EQ(source.Taken(), bytes.empty() ? 0.0 : 1.0);
    }
  }
}

TEST(DxfLines, StoppingEarlyLeavesNothingRunning) {
  // The reading thread is stopped with the source, after a pair or before the first.
  const std::string bytes = "0\nSECTION\n" + std::string(1 << 20, '9') + "\n0\nEOF\n";
  const auto path = testing::WriteTempFile("early.dxf", bytes);
  for (int pairs : {0, 1}) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(path.string().c_str(), "rb"), &std::fclose);
    LineSource source(file.get(), bytes.size(), 4096);
    LinePair pair;
    for (int i = 0; i < pairs; ++i)
      ASSERT_TRUE(source.NextPair(pair));
  }
}

// The reading thread stops at the size the file had when it was opened: what a writer adds
// meanwhile is not read, and a file that only grows cannot keep the reader going.
TEST(DxfLines, ReadingStopsAtTheSizeTheFileHadWhenOpened) {
  const std::string start = "0\nSECTION\n2\nENTITIES\n";
  const std::string later = "0\nLINE\n8\nA\n0\nEOF\n";
  LineSource inMemory(start);
  bool bom = false;
  const Pairs expected = AllPairs(inMemory, bom);
  for (size_t chunk : {1, 5, 4096}) {
    SCOPED_TRACE(chunk);
    // A name of this process's own: it grows the file.
    const auto path = testing::WriteTempFile("grows-" + std::to_string(getpid()) + ".dxf", start);
    RegularFile file = RegularFile::Open(path);
    ASSERT_TRUE(file.IsOpen());
    std::ofstream(path, std::ios::binary | std::ios::app) << later;
    LineSource source(file, chunk);
    EXPECT_EQ(AllPairs(source, bom), expected);
    EXPECT_FALSE(source.Failed());

    // A C stream is read to the size given, whatever follows it.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(
        std::fopen(path.string().c_str(), "rb"), &std::fclose);
    ASSERT_TRUE(stream);
    LineSource cut(stream.get(), start.size(), chunk);
    EXPECT_EQ(AllPairs(cut, bom), expected);
    EXPECT_EQ(cut.Taken(), 1.0);
  }
}

// A file of zeros without a line end, as a sparse file of gigabytes is: it is not held whole
// nor searched again after every chunk; past the longest pair a DXF can have, the read fails.
TEST(DxfLines, APairLongerThanAnyDxfHasFailsTheRead) {
  const auto path = testing::WriteTempFile("no-line-end.dxf", "0\nSECTION\n");
  std::filesystem::resize_file(path, LineSource::kMaxPair + (size_t(3) << 20));
  RegularFile file = RegularFile::Open(path);
  ASSERT_TRUE(file.IsOpen());
  LineSource source(file);
  LinePair pair;
  ASSERT_TRUE(source.NextPair(pair));
  EXPECT_EQ(pair.value, "SECTION");
  EXPECT_FALSE(source.NextPair(pair));
  EXPECT_TRUE(source.Failed());
}

}  // namespace
}  // namespace kestrel::dxf

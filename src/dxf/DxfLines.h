// Line pairs of a DXF file as views into a read buffer: a line ends at CR, LF or CR LF, and
// the last line of the file needs no end. The whole file is never held unless it was given
// in memory: a file is read in chunks, on a thread of its own so that reading the next chunk
// overlaps with taking the lines of this one, and a buffer grows only for a pair that does not
// fit in a chunk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "base/RegularFile.h"

namespace kestrel::dxf {

struct LinePair {
  std::string_view code;   // without its line end
  std::string_view value;  // empty when the file ends after the code line
};

class LineSource {
 public:
  explicit LineSource(std::string_view bytes);  // all of the input, already in memory
  // Reads at most `fileSize` bytes (the size the file had when it was opened: one that grows
  // meanwhile is cut there) from the file's current position, `chunk` bytes at a time (tests
  // use small ones); nothing else may use the file until the source is gone. The buffers never
  // hold more than two chunks and the longest pair, which the file's bytes bound.
  LineSource(std::FILE* file, uint64_t fileSize, size_t chunk = kChunk);
  // The same over a file opened as a regular file, to the size it had then.
  explicit LineSource(RegularFile& file, size_t chunk = kChunk);
  ~LineSource();
  LineSource(const LineSource&) = delete;
  LineSource& operator=(const LineSource&) = delete;

  static constexpr size_t kChunk = size_t(256) << 10;
  // No DXF has a pair this long: reading stops there and fails (a file of gigabytes without a
  // line end would otherwise be held whole).
  static constexpr size_t kMaxPair = size_t(64) << 20;

  // Skips a UTF-8 byte-order mark at the start; true when there was one.
  bool SkipUtf8Bom();
  // The next two lines; false at the end of the input.
  bool NextPair(LinePair& pair);
  // Reading the file failed (the pairs returned so far are good).
  bool Failed() const { return failed_; }
  // The share of the input taken so far, from 0 to 1; 0 for an empty input.
  double Taken() const;

 private:
  // Finds the line ends of the next block of the buffer.
  void IndexLineEnds();
  // Where the line that ends at `end` (its CR or LF) is followed by the next.
  size_t AfterLineEnd(size_t end) const;
  void Refill();

  class ChunkReader;
  uint64_t fileSize_ = 0;
  uint64_t readSoFar_ = 0;
  std::unique_ptr<ChunkReader> reader_;  // none when the input was given in memory
  std::vector<char> long_;               // holds the data while a pair is longer than a chunk
  bool inLong_ = false;                  // the data is in long_
  std::string_view data_;
  size_t pos_ = 0;
  // The line ends of the buffer, found a block at a time ahead of the reading (the line ends
  // are most of what a read looks at, and finding them 64 bytes at a time in a loop of their
  // own is several times faster than looking for each): offsets of the CR or LF that ends
  // each line, `next_` the first not yet taken, the buffer searched up to `indexed_`.
  static constexpr size_t kIndexBlock = 4096;
  std::unique_ptr<size_t[]> ends_;
  size_t endCount_ = 0;
  size_t next_ = 0;
  size_t indexed_ = 0;
  uint64_t crCarry_ = 0;  // the last byte searched was a CR
  bool eof_ = true;
  bool failed_ = false;
  bool started_ = false;
};

// Blanks and control characters (everything up to the space) off both ends.
inline std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
    ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
    --e;
  return s.substr(b, e - b);
}

}  // namespace kestrel::dxf

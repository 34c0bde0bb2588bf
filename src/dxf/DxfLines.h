// Line pairs of a DXF file as views into a read buffer: a line ends at CR, LF or CR LF, and
// the last line of the file needs no end. The whole file is never held unless it was given
// in memory: a file is read in chunks, and the buffer grows only for a pair that does not fit.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace kestrel::dxf {

struct LinePair {
  std::string_view code;   // without its line end
  std::string_view value;  // empty when the file ends after the code line
};

class LineSource {
 public:
  explicit LineSource(std::string_view bytes);  // all of the input, already in memory
  // Reads from the file's current position. With the file's size the buffer never grows past
  // what the rest of the file can fill, however long a line is.
  explicit LineSource(std::FILE* file, uint64_t fileSize = 0);

  // Skips a UTF-8 byte-order mark at the start; true when there was one.
  bool SkipUtf8Bom();
  // The next two lines; false at the end of the input.
  bool NextPair(LinePair& pair);
  // Reading the file failed (the pairs returned so far are good).
  bool Failed() const { return failed_; }

 private:
  // Where the line that begins at `start` ends and the next begins; false when more input is
  // needed to tell.
  bool LineAt(size_t start, size_t& end, size_t& next);
  // The first CR or LF at or after `start`, or the end of the data.
  size_t FindLineEnd(size_t start);
  // Bit i set when byte `base + i` of the data is a CR or LF (64 bytes from `base`).
  uint64_t LineEndMask(size_t base);
  uint64_t ComputeLineEndMask(size_t base);
  void Refill();

  std::FILE* file_ = nullptr;
  uint64_t fileSize_ = 0;
  uint64_t readSoFar_ = 0;
  std::vector<char> buffer_;
  std::string_view data_;
  size_t pos_ = 0;
  // The line ends of one 64-byte window of the data, found once for the several lines in it.
  size_t maskBase_ = SIZE_MAX;
  uint64_t mask_ = 0;
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

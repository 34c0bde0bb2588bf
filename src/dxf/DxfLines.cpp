#include "dxf/DxfLines.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace kestrel::dxf {

namespace {
// The size of a read: small enough to stay in the processor's cache while its lines are taken
// (reads of 256 KiB or 1 MiB were no faster).
constexpr size_t kChunk = size_t(64) << 10;
}  // namespace

LineSource::LineSource(std::string_view bytes)
    : data_(bytes), ends_(std::make_unique<size_t[]>(kIndexBlock + 1)) {}

LineSource::LineSource(std::FILE* file, uint64_t fileSize)
    : file_(file),
      fileSize_(fileSize),
      ends_(std::make_unique<size_t[]>(kIndexBlock + 1)),
      eof_(false) {}

bool LineSource::SkipUtf8Bom() {
  if (!started_ && file_ && data_.size() < 3 && !eof_) Refill();
  started_ = true;
  if (pos_ == 0 && data_.substr(0, 3) == "\xEF\xBB\xBF") {
    pos_ = indexed_ = 3;
    return true;
  }
  return false;
}

namespace {

// Bit i of `lf` (`cr`) set when p[i] is a LF (CR), for the first n <= 64 bytes.
void LineEndMasks(const char* p, size_t n, uint64_t& lf, uint64_t& cr) {
  lf = cr = 0;
#if defined(__SSE2__) || defined(_M_X64)
  if (n == 64) {
    const __m128i lfs = _mm_set1_epi8('\n'), crs = _mm_set1_epi8('\r');
    for (int i = 0; i < 4; ++i) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
      lf |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lfs)))) << (16 * i);
      cr |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, crs)))) << (16 * i);
    }
    return;
  }
#endif
  for (size_t i = 0; i < n; ++i) {
    lf |= uint64_t(p[i] == '\n') << i;
    cr |= uint64_t(p[i] == '\r') << i;
  }
}

}  // namespace

void LineSource::IndexLineEnds() {
  // Keep the one end not yet taken, if any, at the front.
  if (next_ > 0) {
    const size_t left = endCount_ - next_;
    if (left > 0) ends_[0] = ends_[next_];
    endCount_ = left;
    next_ = 0;
  }
  const char* const d = data_.data();
  const size_t size = data_.size();
  const size_t stop = std::min(size, indexed_ + kIndexBlock);
  size_t base = indexed_;
  for (; base < stop; base += 64) {
    uint64_t lf, cr;
    LineEndMasks(d + base, std::min<size_t>(64, size - base), lf, cr);
    // A LF right after a CR is the second half of a CR LF, not a line end of its own.
    uint64_t m = cr | (lf & ~((cr << 1) | crCarry_));
    crCarry_ = cr >> 63;
    for (; m != 0; m &= m - 1)
      ends_[endCount_++] = base + static_cast<size_t>(std::countr_zero(m));
  }
  indexed_ = std::min(base, size);
}

size_t LineSource::AfterLineEnd(size_t end) const {
  return end + 1 + (data_[end] == '\r' && end + 1 < data_.size() && data_[end + 1] == '\n');
}

bool LineSource::NextPair(LinePair& pair) {
  started_ = true;
  for (;;) {
    if (endCount_ - next_ < 2 && indexed_ < data_.size()) {
      IndexLineEnds();
      continue;
    }
    const size_t size = data_.size();
    if (endCount_ - next_ >= 2) {
      const size_t codeEnd = ends_[next_], valueEnd = ends_[next_ + 1];
      // A CR that ends the buffer may be the first half of a CR LF: wait for the next byte.
      if (valueEnd + 1 < size || eof_ || data_[valueEnd] == '\n') {
        const char* const d = data_.data();
        const size_t valueStart = AfterLineEnd(codeEnd);
        pair.code = std::string_view(d + pos_, codeEnd - pos_);
        pair.value = std::string_view(d + valueStart, valueEnd - valueStart);
        pos_ = AfterLineEnd(valueEnd);
        next_ += 2;
        return true;
      }
    }
    if (!eof_) {
      Refill();
      continue;
    }
    // The end of the input, with at most one line end left: the last lines need none.
    if (pos_ >= size) return false;
    if (endCount_ - next_ == 1) {
      const size_t codeEnd = ends_[next_++];
      pair.code = data_.substr(pos_, codeEnd - pos_);
      pair.value = data_.substr(std::min(AfterLineEnd(codeEnd), size));
    } else {
      pair.code = data_.substr(pos_);
      pair.value = std::string_view();
    }
    pos_ = size;
    return true;
  }
}

double LineSource::Taken() const {
  if (!file_) return data_.empty() ? 0 : double(pos_) / double(data_.size());
  if (fileSize_ == 0) return 0;
  const uint64_t taken = readSoFar_ - (data_.size() - pos_);
  return std::min(1.0, double(taken) / double(fileSize_));
}

void LineSource::Refill() {
  if (!file_ || eof_) {
    eof_ = true;
    return;
  }
  // Keep the unread tail, then fill the rest of the buffer; grow it only when the tail fills it.
  const size_t tail = data_.size() - pos_;
  if (buffer_.empty()) buffer_.resize(kChunk);
  if (tail > 0 && data_.data() + pos_ != buffer_.data()) {
    std::memmove(buffer_.data(), data_.data() + pos_, tail);
  }
  if (tail == buffer_.size()) {
    size_t grown = buffer_.size() * 2;
    // Not past what the rest of the file can fill (plus a chunk): a long line costs its own
    // length, not twice it.
    if (fileSize_ > readSoFar_)
      grown = std::min<uint64_t>(grown, tail + (fileSize_ - readSoFar_) + 1);
    buffer_.resize(std::max(grown, tail + kChunk));
  }
  const size_t got = std::fread(buffer_.data() + tail, 1, buffer_.size() - tail, file_);
  readSoFar_ += got;
  if (got == 0) {
    eof_ = true;
    failed_ = std::ferror(file_) != 0;
  }
  data_ = std::string_view(buffer_.data(), tail + got);
  pos_ = 0;
  // The line ends found so far were of the old buffer.
  endCount_ = next_ = 0;
  indexed_ = 0;
  crCarry_ = 0;
}

}  // namespace kestrel::dxf

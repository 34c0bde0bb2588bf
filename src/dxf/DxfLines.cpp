#include "dxf/DxfLines.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace kestrel::dxf {

namespace {
// Small enough that the allocator maps it on its own: a freed megabyte buffer would teach it to
// keep the reader's record chunks in its heap after they are freed, doubling a read's peak.
constexpr size_t kChunk = size_t(64) << 10;
}  // namespace

LineSource::LineSource(std::string_view bytes) : data_(bytes) {}

LineSource::LineSource(std::FILE* file, uint64_t fileSize)
    : file_(file), fileSize_(fileSize), eof_(false) {}

bool LineSource::SkipUtf8Bom() {
  if (!started_ && file_ && data_.size() < 3 && !eof_) Refill();
  started_ = true;
  if (pos_ == 0 && data_.substr(0, 3) == "\xEF\xBB\xBF") {
    pos_ = 3;
    return true;
  }
  return false;
}

uint64_t LineSource::ComputeLineEndMask(size_t base) {
  const char* p = data_.data() + base;
  const size_t n = std::min<size_t>(64, data_.size() - base);
  uint64_t mask = 0;
#if defined(__SSE2__) || defined(_M_X64)
  if (n == 64) {
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    for (int i = 0; i < 4; ++i) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
      const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr));
      mask |= uint64_t(uint32_t(_mm_movemask_epi8(hit))) << (16 * i);
    }
  } else
#endif
  {
    for (size_t i = 0; i < n; ++i) {
      if (p[i] == '\n' || p[i] == '\r') mask |= uint64_t(1) << i;
    }
  }
  maskBase_ = base;
  mask_ = mask;
  return mask;
}

inline uint64_t LineSource::LineEndMask(size_t base) {
  return base == maskBase_ ? mask_ : ComputeLineEndMask(base);
}

inline size_t LineSource::FindLineEnd(size_t start) {
  // The line ends are most of what a read looks at: they are found 64 bytes at a time, and a
  // window holds several lines of a typical file.
  size_t base = start & ~size_t(63);
  uint64_t m = LineEndMask(base) & (~uint64_t(0) << (start - base));
  while (m == 0) {
    base += 64;
    if (base >= data_.size()) return data_.size();
    m = LineEndMask(base);
  }
  return base + static_cast<size_t>(std::countr_zero(m));
}

bool LineSource::LineAt(size_t start, size_t& end, size_t& next) {
  end = FindLineEnd(start);
  const size_t size = data_.size();
  if (end == size) {
    next = end;
    return eof_;
  }
  if (data_[end] == '\n') {
    next = end + 1;
    return true;
  }
  if (end + 1 < size) {
    next = end + (data_[end + 1] == '\n' ? 2 : 1);
    return true;
  }
  next = end + 1;  // a CR at the end of the buffer may be the first half of CR LF
  return eof_;
}

bool LineSource::NextPair(LinePair& pair) {
  started_ = true;
  // The common case: both lines and the byte after each end are in the buffer.
  const size_t size = data_.size();
  if (pos_ < size) {
    const char* d = data_.data();
    const size_t codeEnd = FindLineEnd(pos_);
    if (codeEnd + 1 < size) {
      const size_t valueStart = codeEnd + 1 + (d[codeEnd] == '\r' && d[codeEnd + 1] == '\n');
      if (valueStart < size) {
        const size_t valueEnd = FindLineEnd(valueStart);
        if (valueEnd + 1 < size) {
          pair.code = std::string_view(d + pos_, codeEnd - pos_);
          pair.value = std::string_view(d + valueStart, valueEnd - valueStart);
          pos_ = valueEnd + 1 + (d[valueEnd] == '\r' && d[valueEnd + 1] == '\n');
          return true;
        }
      }
    }
  }
  for (;;) {
    if (pos_ >= data_.size()) {
      if (eof_) return false;
      Refill();
      continue;
    }
    size_t codeEnd, valueStart, valueEnd, next;
    if (!LineAt(pos_, codeEnd, valueStart)) {
      Refill();
      continue;
    }
    if (valueStart >= data_.size()) {
      if (!eof_) {
        Refill();
        continue;
      }
      valueEnd = next = data_.size();
    } else if (!LineAt(valueStart, valueEnd, next)) {
      Refill();
      continue;
    }
    pair.code = data_.substr(pos_, codeEnd - pos_);
    pair.value = valueStart < data_.size() ? data_.substr(valueStart, valueEnd - valueStart)
                                           : std::string_view();
    pos_ = next;
    return true;
  }
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
  maskBase_ = SIZE_MAX;
}

}  // namespace kestrel::dxf

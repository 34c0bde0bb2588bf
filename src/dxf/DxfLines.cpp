#include "dxf/DxfLines.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

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

bool LineSource::LineAt(size_t start, size_t& end, size_t& next) const {
  const char* p = data_.data() + start;
  const char* const last = data_.data() + data_.size();
  if constexpr (std::endian::native == std::endian::little) {
    // Eight bytes at a time: the line ends are most of what a read looks at. A byte equal to
    // LF or CR becomes zero after the XOR; the lowest flagged byte is exact.
    constexpr uint64_t kOnes = 0x0101010101010101ULL, kHighs = 0x8080808080808080ULL;
    while (last - p >= 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      const uint64_t lf = w ^ (kOnes * '\n'), cr = w ^ (kOnes * '\r');
      const uint64_t hit = (((lf - kOnes) & ~lf) | ((cr - kOnes) & ~cr)) & kHighs;
      if (hit) {
        p += std::countr_zero(hit) / 8;
        break;
      }
      p += 8;
    }
  }
  while (p < last && *p != '\n' && *p != '\r')
    ++p;
  end = static_cast<size_t>(p - data_.data());
  if (p == last) {
    next = end;
    return eof_;
  }
  if (*p == '\n') {
    next = end + 1;
    return true;
  }
  if (p + 1 < last) {
    next = end + (p[1] == '\n' ? 2 : 1);
    return true;
  }
  next = end + 1;  // a CR at the end of the buffer may be the first half of CR LF
  return eof_;
}

bool LineSource::NextPair(LinePair& pair) {
  started_ = true;
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
}

}  // namespace kestrel::dxf

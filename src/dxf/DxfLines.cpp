#include "dxf/DxfLines.h"

#include <algorithm>
#include <bit>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace kestrel::dxf {

// Reads a file a chunk at a time into two buffers in turn, on a thread of its own: while the
// caller takes the lines of one chunk, the next is read into the other buffer. Each buffer has
// a chunk's room before its chunk, where the caller puts the unfinished pair of the chunk
// before. Without a thread (it could not be started) the reads happen in Wait.
class LineSource::ChunkReader {
 public:
  struct Chunk {
    char* data;  // `room` bytes before it are free for the caller
    size_t size;
    bool failed;
  };

  // Reads up to `n` bytes into `into`; fewer only at the end or when `failed` is set.
  using ReadBytes = std::function<size_t(char* into, size_t n, bool& failed)>;

  ChunkReader(ReadBytes read, uint64_t limit, size_t chunk)
      : read_(std::move(read)), left_(limit), chunk_(std::max<size_t>(chunk, 1)) {
    for (std::vector<char>& b : buffers_)
      b.resize(2 * chunk_);
    requested_ = true;
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (...) {
      // No thread: Wait reads.
    }
  }

  ~ChunkReader() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

  size_t Room() const { return chunk_; }

  // Waits for the chunk after the last one (empty at the end of the file). The chunk taken
  // before stays as it is until ReadNext.
  Chunk Wait() {
    if (!thread_.joinable()) {
      ReadInto(filling_);
    } else {
      std::unique_lock lock(mutex_);
      done_.wait(lock, [this] { return ready_; });
      ready_ = false;
    }
    return {buffers_[filling_].data() + chunk_, got_, failed_};
  }

  // Starts reading the next chunk into the buffer of the chunk before the last.
  void ReadNext() {
    if (got_ == 0) return;  // the end of the file
    filling_ ^= 1;
    if (!thread_.joinable()) return;
    {
      std::lock_guard lock(mutex_);
      requested_ = true;
    }
    wake_.notify_one();
  }

 private:
  void ReadInto(int buffer) {
    const size_t n = size_t(std::min<uint64_t>(chunk_, left_));
    bool failed = false;
    got_ = n > 0 ? read_(buffers_[buffer].data() + chunk_, n, failed) : 0;
    failed_ = got_ < n && failed;
    left_ -= got_;
  }

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return requested_ || stop_; });
      if (stop_) return;
      requested_ = false;
      const int buffer = filling_;
      lock.unlock();
      ReadInto(buffer);
      lock.lock();
      ready_ = true;
      done_.notify_one();
      if (got_ == 0) return;  // the end of the file: nothing more to read
    }
  }

  const ReadBytes read_;
  uint64_t left_;  // bytes still to read before the limit
  const size_t chunk_;
  std::vector<char> buffers_[2];
  int filling_ = 0;  // the buffer being read into, or last read into
  size_t got_ = 0;
  bool failed_ = false;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  bool requested_ = false, ready_ = false, stop_ = false;
  std::thread thread_;
};

LineSource::LineSource(std::string_view bytes)
    : data_(bytes), ends_(std::make_unique<size_t[]>(kIndexBlock + 1)) {}

namespace {

// A small file needs no more than its size (and a byte to see its end).
size_t ChunkFor(uint64_t fileSize, size_t chunk) {
  return fileSize < chunk ? size_t(fileSize) + 1 : chunk;
}

}  // namespace

LineSource::LineSource(std::FILE* file, uint64_t fileSize, size_t chunk)
    : fileSize_(fileSize),
      reader_(std::make_unique<ChunkReader>(
          [file](char* into, size_t n, bool& failed) {
            const size_t got = std::fread(into, 1, n, file);
            failed = got < n && std::ferror(file) != 0;
            return got;
          },
          fileSize, ChunkFor(fileSize, chunk))),
      ends_(std::make_unique<size_t[]>(kIndexBlock + 1)),
      eof_(false) {}

LineSource::LineSource(RegularFile& file, size_t chunk)
    : fileSize_(file.Size()),
      reader_(std::make_unique<ChunkReader>(
          [&file](char* into, size_t n, bool& failed) {
            const size_t got = file.Read(into, n);
            failed = file.Failed();
            return got;
          },
          file.Size(), ChunkFor(file.Size(), chunk))),
      ends_(std::make_unique<size_t[]>(kIndexBlock + 1)),
      eof_(false) {}

LineSource::~LineSource() = default;

bool LineSource::SkipUtf8Bom() {
  while (!started_ && reader_ && data_.size() < 3 && !eof_)
    Refill();
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
    const size_t n = std::min<size_t>(64, size - base);
    LineEndMasks(d + base, n, lf, cr);
    // A LF right after a CR is the second half of a CR LF, not a line end of its own. The
    // search goes on after the buffer grows, so the carry is of the last byte searched, also
    // at the end of a short block.
    uint64_t m = cr | (lf & ~((cr << 1) | crCarry_));
    crCarry_ = (cr >> (n - 1)) & 1;
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
  if (!reader_) return data_.empty() ? 0 : double(pos_) / double(data_.size());
  if (fileSize_ == 0) return 0;
  const uint64_t taken = readSoFar_ - (data_.size() - pos_);
  return std::min(1.0, double(taken) / double(fileSize_));
}

void LineSource::Refill() {
  if (!reader_ || eof_) {
    eof_ = true;
    return;
  }
  // The unfinished pair goes before the next chunk: into the room the chunk's buffer keeps for
  // it, or, when it is longer, with the chunk into a buffer of its own.
  const std::string_view tail = data_.substr(pos_);
  if (tail.size() > kMaxPair) {
    failed_ = eof_ = true;
    data_ = {};
    pos_ = endCount_ = next_ = indexed_ = 0;
    std::vector<char>().swap(long_);
    inLong_ = false;
    return;
  }
  // The line ends found in the tail stay found: a pair longer than many chunks is searched
  // once, not again from its start after every chunk.
  size_t kept = 0;
  size_t indexedInTail = 0;
  if (indexed_ >= pos_) {
    for (size_t i = next_; i < endCount_; ++i)
      ends_[kept++] = ends_[i] - pos_;
    indexedInTail = indexed_ - pos_;
  }
  const bool isLong = tail.size() > reader_->Room();
  size_t from = 0;  // where the data starts in long_
  if (isLong && !inLong_) {
    long_.assign(tail.begin(), tail.end());
  } else if (isLong) {
    // The tail is in long_ already: drop what was taken once it is half of it, so that a long
    // line costs about its own length, not its square.
    from = size_t(tail.data() - long_.data());
    if (from > long_.size() / 2) {
      long_.erase(long_.begin(), long_.begin() + ptrdiff_t(from));
      from = 0;
    }
  }
  const ChunkReader::Chunk chunk = reader_->Wait();
  readSoFar_ += chunk.size;
  if (chunk.size == 0) {
    eof_ = true;
    failed_ = chunk.failed;
  }
  if (isLong) {
    long_.insert(long_.end(), chunk.data, chunk.data + chunk.size);
    data_ = std::string_view(long_.data() + from, long_.size() - from);
  } else if (chunk.size == 0) {
    data_ = tail;  // the end: what is left stays where it is
  } else {
    char* const start = chunk.data - tail.size();
    if (!tail.empty()) std::memcpy(start, tail.data(), tail.size());
    data_ = std::string_view(start, tail.size() + chunk.size);
  }
  if (!isLong && inLong_ && chunk.size > 0) std::vector<char>().swap(long_);
  inLong_ = isLong || (inLong_ && chunk.size == 0);
  reader_->ReadNext();  // the old chunk's bytes are no longer needed
  pos_ = 0;
  // The buffer begins with the tail, whose line ends are known up to where it was searched.
  // (A pair that ended in the CR LF whose LF was not searched yet starts the search afresh.)
  endCount_ = kept;
  next_ = 0;
  indexed_ = indexedInTail;
  if (indexedInTail == 0) crCarry_ = 0;
}

}  // namespace kestrel::dxf

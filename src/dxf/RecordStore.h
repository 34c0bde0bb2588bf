// Records of one list while the DXF reader fills it. Used by the reader only.
#pragma once

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace kestrel::dxf {

// Records of one list while the file is read. They are made in chunks that never move, so
// the list costs no reallocation while it grows, and are moved once into a vector of the exact
// size when the read ends; each chunk is freed as soon as it has been moved. A record is
// constructed only when it is added, so its memory is written once before it is filled.
template <class R>
class RecordStore {
 public:
  RecordStore() = default;
  RecordStore(const RecordStore&) = delete;
  RecordStore& operator=(const RecordStore&) = delete;
  ~RecordStore() {
    for (size_t c = 0; c < chunks_.size(); ++c)
      Free(chunks_[c], Constructed(c));
  }

  R& emplace_back() {
    if (chunks_.empty() || used_ == chunks_.back().size) {
      const size_t n = chunks_.empty() ? kFirstChunk : std::min(chunks_.back().size * 2, kMaxChunk);
      chunks_.reserve(chunks_.size() + 1);
      chunks_.push_back(Allocate(n));
      used_ = 0;
    }
    R* r = new (chunks_.back().data + used_) R;  // the fields initialise themselves
    ++used_;
    ++size_;
    return *r;
  }
  R& back() { return chunks_.back().data[used_ - 1]; }
  void pop_back() {
    std::destroy_at(&back());
    --used_;
    --size_;
    if (used_ == 0 && chunks_.size() > 1) {
      Free(chunks_.back(), 0);
      chunks_.pop_back();
      used_ = chunks_.back().size;
    }
  }
  bool empty() const { return size_ == 0; }
  size_t size() const { return size_; }
  void MoveTo(std::vector<R>& out) {
    out.reserve(out.size() + size_);
    for (size_t c = 0; c < chunks_.size(); ++c) {
      const size_t n = Constructed(c);
      for (size_t i = 0; i < n; ++i)
        out.push_back(std::move(chunks_[c].data[i]));
      Free(chunks_[c], n);
    }
    chunks_.clear();
    used_ = size_ = 0;
  }

 private:
  static constexpr size_t kFirstChunk = 16;
  static constexpr size_t kMaxChunk = 4096;
  struct Chunk {
    R* data = nullptr;
    size_t size = 0;
  };

  size_t Constructed(size_t chunk) const {
    return chunk + 1 == chunks_.size() ? used_ : chunks_[chunk].size;
  }
  static Chunk Allocate(size_t n) { return {static_cast<R*>(::operator new(n * sizeof(R))), n}; }
  static void Free(Chunk& c, size_t constructed) {
    if (!c.data) return;
    std::destroy_n(c.data, constructed);
    ::operator delete(c.data);
    c.data = nullptr;
  }

  std::vector<Chunk> chunks_;
  size_t used_ = 0;
  size_t size_ = 0;
};

}  // namespace kestrel::dxf

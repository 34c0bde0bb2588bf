// The memory post-processing may use. A small file can make a large drawing (a block inserted
// a million times, thousands of tilted circles), and a drawing that does not fit must fail like
// any bad file instead of exhausting the machine's memory. The count is rough but honest: each
// list's capacity times its record size, and the heap blocks of its strings, shared ones once
// (the copies of a block's records share the block's strings and cost only their records).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "dxf/Drawing.h"

namespace kestrel::dxf {

struct BudgetExceeded : std::runtime_error {
  BudgetExceeded() : std::runtime_error("drawing too large for its memory budget") {}
};

class ByteBudget {
 public:
  static constexpr size_t kUnlimited = SIZE_MAX;

  explicit ByteBudget(size_t limit = kUnlimited) : limit_(limit) {}

  // Counts `bytes` more, or throws BudgetExceeded when they would pass the limit. An unlimited
  // budget counts nothing.
  void Take(size_t bytes) {
    if (limit_ == kUnlimited) return;
    if (bytes > limit_ - used_) throw BudgetExceeded();
    used_ += bytes;
  }
  size_t used() const { return used_; }
  size_t limit() const { return limit_; }

  // For callers that pass no budget.
  static ByteBudget& Unlimited() {
    static ByteBudget unlimited;
    return unlimited;
  }

 private:
  size_t limit_;
  size_t used_ = 0;
};

// The bytes held now by the lists that post-processing appends to: the draw lists, the lines
// and arcs of blocks, NestInsertAry. The others only shrink from the read on, within the
// reader's own bounds.
size_t GrowingListBytes(const Drawing& drawing);

inline constexpr size_t kMinPostProcessBytes = size_t(256) << 20;
inline constexpr size_t kMaxPostProcessBytes = size_t(2) << 30;
inline constexpr size_t kPostProcessBytesPerFileByte = 64;

// The budget for the drawing of a file of `fileSize` bytes: 64 bytes for each byte of the file,
// at least 256 MiB and at most 2 GiB. Ordinary drawings stay far below it (the corpus and the
// generated drawings of up to 200 MB take at most 3.1 bytes of these lists per byte of file);
// the factor leaves room for drawings made of block references, the floor lets a small file
// expand its blocks into a million or so records, and the ceiling keeps one preview from taking
// the desktop's memory.
size_t PostProcessBudget(uint64_t fileSize);

// Room for `more` records beyond the list's size, sized exactly; the growth is taken from the
// budget before anything is allocated.
template <class R>
void ReserveRecords(std::vector<R>& list, size_t more, ByteBudget& budget) {
  if (more <= list.capacity() - list.size()) return;
  if (more > list.max_size() - list.size()) throw BudgetExceeded();
  const size_t wanted = list.size() + more;
  if (wanted - list.capacity() > SIZE_MAX / sizeof(R)) throw BudgetExceeded();
  budget.Take((wanted - list.capacity()) * sizeof(R));
  list.reserve(wanted);
}

// Appends a record; a full list doubles, and the budget pays for the growth.
template <class R>
void AppendRecord(std::vector<R>& list, std::type_identity_t<R>&& record, ByteBudget& budget) {
  if (list.size() == list.capacity())
    ReserveRecords(list, std::max<size_t>(16, list.capacity()), budget);
  list.push_back(std::move(record));
}

}  // namespace kestrel::dxf

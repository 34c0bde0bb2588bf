#include "dxf/SharedString.h"

#include <algorithm>
#include <limits>
#include <new>
#include <ostream>

namespace kestrel::dxf {

SharedString::Block* SharedString::NewBlock(size_t capacity) {
  if (capacity > std::numeric_limits<size_t>::max() - sizeof(Block)) throw std::bad_alloc();
  auto* b = static_cast<Block*>(::operator new(sizeof(Block) + capacity));
  b->refs = 1;
  b->size = 0;
  b->capacity = capacity;
  return b;
}

void SharedString::InitHeap(std::string_view text) {
  Block* b = NewBlock(text.size());
  std::memcpy(b->chars(), text.data(), text.size());
  b->size = text.size();
  SetHeap(b);
}

SharedString& SharedString::operator+=(std::string_view more) {
  if (more.empty()) return *this;
  const size_t n = size();
  if (more.size() > std::numeric_limits<size_t>::max() - sizeof(Block) - n) throw std::bad_alloc();
  const size_t total = n + more.size();
  if (!IsHeap() && total <= kInlineCapacity) {
    std::memcpy(raw_ + n, more.data(), more.size());
    raw_[kTag] = static_cast<unsigned char>(total);
    return *this;
  }
  if (IsHeap() && block()->refs == 1 && total <= block()->capacity) {
    // `more` may be this string's own characters; they lie before the ones written.
    std::memcpy(block()->chars() + n, more.data(), more.size());
    block()->size = total;
    return *this;
  }
  // Room for as much again, so that a text built from many chunks is copied O(log n) times.
  Block* b = NewBlock(std::max(total, 2 * n));
  std::memcpy(b->chars(), data(), n);
  std::memcpy(b->chars() + n, more.data(), more.size());
  b->size = total;
  Release();
  SetHeap(b);
  return *this;
}

size_t SharedString::SharedBytes() const noexcept {
  if (!IsHeap()) return 0;
  const Block* b = block();
  const size_t bytes = sizeof(Block) + b->capacity;
  return (bytes + b->refs - 1) / b->refs;
}

std::ostream& operator<<(std::ostream& out, const SharedString& s) {
  return out << s.view();
}

}  // namespace kestrel::dxf

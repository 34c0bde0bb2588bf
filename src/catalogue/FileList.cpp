#include "catalogue/FileList.h"

#include <algorithm>

#include "base/TextCodec.h"

namespace kestrel::catalogue {

int ComparePathsIgnoringCase(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(AsciiLower(a[i]));
    auto cb = static_cast<unsigned char>(AsciiLower(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

void FileList::Append(std::string_view path, uint32_t dosDateTime) {
  entries_.push_back({pool_.size(), static_cast<uint32_t>(path.size()), dosDateTime});
  pool_.append(path);
}

void FileList::SortAndRemoveDuplicates() {
  auto path = [this](const Entry& e) {
    return std::string_view(pool_.data() + e.offset, e.length);
  };
  // Stable, so that of entries equal ignoring case the first one added is the one kept.
  std::stable_sort(entries_.begin(), entries_.end(), [&](const Entry& x, const Entry& y) {
    return ComparePathsIgnoringCase(path(x), path(y)) < 0;
  });
  auto last = std::unique(entries_.begin(), entries_.end(), [&](const Entry& x, const Entry& y) {
    return ComparePathsIgnoringCase(path(x), path(y)) == 0;
  });
  entries_.erase(last, entries_.end());
  // Lay the paths out in list order: a search then reads the pool front to back instead of
  // jumping around it, which is most of its speed on a large list.
  std::string sorted;
  sorted.reserve(pool_.size());
  for (Entry& e : entries_) {
    const uint64_t offset = sorted.size();
    sorted.append(pool_, e.offset, e.length);
    e.offset = offset;
  }
  pool_.swap(sorted);
  ++generation_;
}

void FileList::Clear() {
  pool_.clear();
  pool_.shrink_to_fit();
  entries_.clear();
  entries_.shrink_to_fit();
  ++generation_;
}

void FileList::Swap(FileList& other) noexcept {
  pool_.swap(other.pool_);
  entries_.swap(other.entries_);
  ++generation_;
  ++other.generation_;
}

}  // namespace kestrel::catalogue

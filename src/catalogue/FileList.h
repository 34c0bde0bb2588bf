// The file list: every path found by the last list build, sorted ignoring letter case, each with
// its last-write time as an MS-DOS packed date and time. Paths live in one shared pool of bytes
// so that a list of a million entries costs its path bytes plus 16 bytes per entry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::catalogue {

// Orders paths ignoring the case of ASCII letters (then byte order, which for UTF-8 is code
// point order). Equal under this order means "the same path ignoring case".
int ComparePathsIgnoringCase(std::string_view a, std::string_view b);

class FileList {
 public:
  struct Entry {
    uint64_t offset;  // into the pool
    uint32_t length;
    uint32_t dosDateTime;
  };

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  std::string_view Path(size_t i) const {
    const Entry& e = entries_[i];
    return std::string_view(pool_.data() + e.offset, e.length);
  }
  uint32_t DateTime(size_t i) const { return entries_[i].dosDateTime; }

  // Appends without ordering; call SortAndRemoveDuplicates before reading the list. Building
  // this way and sorting once is what keeps a build of hundreds of thousands of entries fast.
  void Append(std::string_view path, uint32_t dosDateTime);
  // Sorts ignoring case and drops every entry equal, ignoring case, to one added before it.
  void SortAndRemoveDuplicates();

  void Clear();
  void Swap(FileList& other) noexcept;

  // Changes whenever the list is cleared or replaced, so that a loop over the list can tell
  // that the list under it is no longer the one it started on.
  uint64_t Generation() const { return generation_; }

  size_t MemoryBytes() const { return pool_.capacity() + entries_.capacity() * sizeof(Entry); }

 private:
  std::string pool_;
  std::vector<Entry> entries_;
  uint64_t generation_ = 0;
};

}  // namespace kestrel::catalogue

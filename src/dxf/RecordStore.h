// Records of one list while the DXF reader fills it. Used by the reader only.
#pragma once

#include <algorithm>
#include <functional>
#include <iterator>
#include <vector>

namespace kestrel::dxf {

// How much of the input has been read, from 0 to 1 (0 when it is not known).
using ReadShare = std::function<double()>;

// Records of one list while the file is read, in the vector the drawing will own: when the read
// ends the vector is handed over, not copied, so every record is written once. When the vector
// is full it grows to the size the list will have at the end of the input if records keep
// coming at the pace they came so far (at least twice, at most eight times its size): a list
// that fills evenly through the file moves its records about once in all, and one that fills
// in a part of it no more often than with doubling.
template <class R>
class RecordStore {
 public:
  explicit RecordStore(const ReadShare& share) : share_(share) {}
  RecordStore(const RecordStore&) = delete;
  RecordStore& operator=(const RecordStore&) = delete;

  R& emplace_back() {
    if (records_.size() == records_.capacity()) Grow();
    return records_.emplace_back();  // the fields initialise themselves
  }
  R& back() { return records_.back(); }
  void pop_back() { records_.pop_back(); }
  bool empty() const { return records_.empty(); }
  size_t size() const { return records_.size(); }
  void MoveTo(std::vector<R>& out) {
    // A list that filled in a part of the file only may have grown far past its end.
    if (records_.capacity() > 2 * records_.size() + kFirst) records_.shrink_to_fit();
    if (out.empty()) {
      out = std::move(records_);
    } else {
      out.insert(out.end(), std::make_move_iterator(records_.begin()),
                 std::make_move_iterator(records_.end()));
    }
    records_ = {};
  }

 private:
  static constexpr size_t kFirst = 16;

  void Grow() {
    const size_t n = records_.size();
    size_t want = std::max(kFirst, 2 * n);
    const double share = share_ ? share_() : 0;
    if (share > 0 && share < 1) {
      const double foreseen = double(n) / share * 1.05;
      want = std::max(want, size_t(std::min(foreseen, 8.0 * double(std::max(n, kFirst)))));
    }
    records_.reserve(want);
  }

  const ReadShare& share_;
  std::vector<R> records_;
};

}  // namespace kestrel::dxf

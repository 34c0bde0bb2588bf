// The text fields of the drawing's records: names of layers, line types and blocks, and the
// texts themselves. Block expansion copies a block's records once per INSERT, so copying one of
// these must not copy its characters: up to 15 bytes are held inline, as std::string holds its
// short strings; longer ones live in one heap block that every copy shares and only counts.
//
// A string never changes under its other copies: appending to a shared one makes a new block,
// appending to one held alone grows it in place (the reader builds long texts from chunks).
// The count is not atomic: a drawing and its copies live on one thread.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>

namespace kestrel::dxf {

class SharedString {
 public:
  static constexpr size_t kInlineCapacity = 15;

  SharedString() noexcept { SetInline(0); }
  SharedString(std::string_view text) { Init(text); }
  SharedString(const char* text) : SharedString(std::string_view(text)) {}
  SharedString(const std::string& text) : SharedString(std::string_view(text)) {}
  SharedString(const SharedString& other) noexcept {
    std::memcpy(raw_, other.raw_, sizeof raw_);
    if (IsHeap()) ++block()->refs;
  }
  SharedString(SharedString&& other) noexcept {
    std::memcpy(raw_, other.raw_, sizeof raw_);
    other.SetInline(0);
  }
  ~SharedString() { Release(); }

  SharedString& operator=(const SharedString& other) noexcept {
    if (other.IsHeap()) ++other.block()->refs;  // before the release: `other` may be this
    Release();
    std::memcpy(raw_, other.raw_, sizeof raw_);
    return *this;
  }
  SharedString& operator=(SharedString&& other) noexcept {
    if (this != &other) {
      Release();
      std::memcpy(raw_, other.raw_, sizeof raw_);
      other.SetInline(0);
    }
    return *this;
  }
  // The text may lie inside this string: the new one is made before the old one goes.
  SharedString& operator=(std::string_view text) {
    if (text.size() > kInlineCapacity) return *this = SharedString(text);
    unsigned char bytes[sizeof raw_] = {};
    if (!text.empty()) std::memcpy(bytes, text.data(), text.size());
    bytes[kTag] = static_cast<unsigned char>(text.size());
    Release();
    std::memcpy(raw_, bytes, sizeof raw_);
    return *this;
  }
  SharedString& operator=(const char* text) { return *this = std::string_view(text); }
  SharedString& operator=(const std::string& text) { return *this = std::string_view(text); }

  const char* data() const noexcept {
    return IsHeap() ? block()->chars() : reinterpret_cast<const char*>(raw_);
  }
  size_t size() const noexcept { return IsHeap() ? block()->size : raw_[kTag]; }
  bool empty() const noexcept { return size() == 0; }
  std::string_view view() const noexcept { return {data(), size()}; }
  operator std::string_view() const noexcept { return view(); }

  std::string_view substr(size_t pos, size_t n = std::string_view::npos) const {
    return view().substr(pos, n);
  }
  size_t find(std::string_view what, size_t pos = 0) const noexcept {
    return view().find(what, pos);
  }
  bool starts_with(std::string_view prefix) const noexcept { return view().starts_with(prefix); }
  bool starts_with(char c) const noexcept { return view().starts_with(c); }

  void clear() noexcept {
    Release();
    SetInline(0);
  }
  SharedString& operator+=(std::string_view more);

  // This string's part of the heap block it shares (the block's bytes divided by the number
  // of strings sharing it; 0 when held inline): summed over every copy, each block counts once.
  size_t SharedBytes() const noexcept;

  friend bool operator==(const SharedString& a, const SharedString& b) noexcept {
    if (!a.IsHeap() && !b.IsHeap()) return std::memcmp(a.raw_, b.raw_, sizeof a.raw_) == 0;
    if (a.IsHeap() != b.IsHeap()) return false;  // a heap string is longer than any inline one
    return a.block() == b.block() || a.view() == b.view();
  }
  friend bool operator==(const SharedString& a, std::string_view b) noexcept {
    return a.view() == b;
  }
  friend bool operator==(const SharedString& a, const char* b) { return a.view() == b; }
  friend bool operator==(const SharedString& a, const std::string& b) noexcept {
    return a.view() == b;
  }
  friend std::strong_ordering operator<=>(const SharedString& a, const SharedString& b) noexcept {
    return a.view() <=> b.view();
  }
  friend std::strong_ordering operator<=>(const SharedString& a, std::string_view b) noexcept {
    return a.view() <=> b;
  }

 private:
  struct Block {
    size_t refs;
    size_t size;
    size_t capacity;
    char* chars() noexcept { return reinterpret_cast<char*>(this + 1); }
  };
  static constexpr size_t kTag = 15;  // inline: the size; heap: kHeapTag
  static constexpr unsigned char kHeapTag = 0x80;

  bool IsHeap() const noexcept { return raw_[kTag] == kHeapTag; }
  Block* block() const noexcept {
    Block* b;
    std::memcpy(&b, raw_, sizeof b);
    return b;
  }
  // Unused inline bytes stay zero, so that two inline strings compare as their 16 bytes.
  void SetInline(size_t size) noexcept {
    std::memset(raw_, 0, sizeof raw_);
    raw_[kTag] = static_cast<unsigned char>(size);
  }
  void SetHeap(Block* b) noexcept {
    std::memset(raw_, 0, sizeof raw_);
    std::memcpy(raw_, &b, sizeof b);
    raw_[kTag] = kHeapTag;
  }
  void Init(std::string_view text) {
    if (text.size() > kInlineCapacity) return InitHeap(text);
    SetInline(text.size());
    if (!text.empty()) std::memcpy(raw_, text.data(), text.size());
  }
  void InitHeap(std::string_view text);
  void Release() noexcept {
    if (IsHeap()) {
      Block* b = block();
      if (--b->refs == 0) ::operator delete(b);
    }
  }
  static Block* NewBlock(size_t capacity);

  alignas(8) unsigned char raw_[16];
};

std::ostream& operator<<(std::ostream& out, const SharedString& s);

}  // namespace kestrel::dxf

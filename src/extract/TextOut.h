// The text an extractor builds: UTF-8 with CR LF line ends, as the text view's line splitting
// expects, bounded so that no document can make it grow past what the view could hold.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kestrel::extract {

// The most text one document gives; past it the rest of the document is dropped.
inline constexpr size_t kMaxTextBytes = size_t(256) << 20;

class TextOut {
 public:
  explicit TextOut(size_t limit = kMaxTextBytes) : limit_(limit) {}

  // Appends UTF-8 text; a space or TAB run is kept as it comes.
  void Append(std::string_view utf8);
  void Append(char c) { Append(std::string_view(&c, 1)); }
  void AppendCodePoint(uint32_t cp);
  // Ends the current line; several in a row give empty lines.
  void NewLine() { Append("\r\n"); }
  // Ends the current line unless it is empty: block boundaries that should not stack up.
  void EndLine();
  bool AtLineStart() const { return text_.empty() || text_.back() == '\n'; }

  // True once the limit was reached: readers stop early.
  bool Full() const { return full_; }
  const std::string& Text() const { return text_; }
  std::string Take();

 private:
  std::string text_;
  size_t limit_;
  bool full_ = false;
};

// Appends the UTF-8 form of `cp`; surrogates, zero and values past U+10FFFF become U+FFFD.
void AppendUtf8(std::string& out, uint32_t cp);

// Called now and then during long work so that the caller can keep its window live.
using Poll = std::function<void()>;

}  // namespace kestrel::extract

// Painting additions of the text view, each a small object attached to it: the search-text
// marks (an orange box under every other occurrence of the last searched text in the lines
// being shown) and the frame around the bracket at the caret and its partner.
#pragma once

#include <QString>

#include "preview/core/AutoLispSyn.h"

namespace kestrel::preview {

class TextView;

class TSearchTextHightlighterSynEditPlugin {
 public:
  static constexpr int kIndicator = 8;  // the first indicator Scintilla leaves to containers

  explicit TSearchTextHightlighterSynEditPlugin(TextView* owner);

  // Only the background is used; none means no marks.
  TSynHighlighterAttributes& Attribute() { return FAttribute; }
  void AttributeChanged();
  // Marks the lines in view; does nothing when they, the pattern, the selection and the text
  // are as they were at the last call.
  void AfterPaint();
  int MarkCount() const { return markCount_; }

 private:
  struct State {
    int first = -1, last = -1;
    QString pattern;
    long selectionBegin = -1;
    int generation = -1;
    bool operator==(const State&) const = default;
  };

  TextView* owner_;
  TSynHighlighterAttributes FAttribute{"SearchText", "Search Text Highlighter"};
  State shown_;
  long markedFrom_ = 0, markedTo_ = 0;
  int markCount_ = 0;
};

// The frame around the bracket right of the caret and around its partner.
class BracketFrame {
 public:
  static constexpr int kIndicator = 9;
  explicit BracketFrame(TextView* owner);
  void Update();
  // The framed positions, or (-1, -1).
  std::pair<long, long> Framed() const { return framed_; }

 private:
  TextView* owner_;
  std::pair<long, long> framed_{-1, -1};
};

}  // namespace kestrel::preview

#include "preview/TextViewDecorations.h"

#include <cstring>

#include "preview/TextView.h"

namespace kestrel::preview {

namespace {

using Sci = QsciScintillaBase;

}  // namespace

TSearchTextHightlighterSynEditPlugin::TSearchTextHightlighterSynEditPlugin(TextView* owner)
    : owner_(owner) {
  // A box of the full line height under the text, as the marks were painted behind it.
  owner_->SendScintilla(Sci::SCI_INDICSETSTYLE, kIndicator, long(Sci::INDIC_FULLBOX));
  owner_->SendScintilla(Sci::SCI_INDICSETALPHA, kIndicator, 255L);
  owner_->SendScintilla(Sci::SCI_INDICSETOUTLINEALPHA, kIndicator, 255L);
  owner_->SendScintilla(Sci::SCI_INDICSETUNDER, kIndicator, 1L);
  AttributeChanged();
}

void TSearchTextHightlighterSynEditPlugin::AttributeChanged() {
  if (FAttribute.Background) {
    const uint32_t c = *FAttribute.Background;
    owner_->SendScintilla(Sci::SCI_INDICSETFORE, kIndicator,
                          QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
  }
  shown_ = State();
  AfterPaint();
}

void TSearchTextHightlighterSynEditPlugin::AfterPaint() {
  const auto [first, last] = owner_->LinesInView();
  State now{first, last, owner_->SearchPattern(), owner_->SendScintilla(Sci::SCI_GETSELECTIONSTART),
            owner_->ContentGeneration()};
  if (now == shown_) return;
  shown_ = now;

  owner_->SendScintilla(Sci::SCI_SETINDICATORCURRENT, kIndicator);
  const long length = owner_->SendScintilla(Sci::SCI_GETLENGTH);
  markedTo_ = std::min(markedTo_, length);
  if (markedTo_ > markedFrom_) {
    owner_->SendScintilla(Sci::SCI_INDICATORCLEARRANGE, markedFrom_, markedTo_ - markedFrom_);
  }
  markedFrom_ = markedTo_ = 0;
  markCount_ = 0;
  if (now.pattern.isEmpty() || !FAttribute.Background || first < 0) return;

  for (int line = first; line <= last; ++line) {
    for (const auto& [position, matchLength] : owner_->FindAll(line)) {
      if (position == now.selectionBegin) continue;  // the selection shows this one
      owner_->SendScintilla(Sci::SCI_INDICATORFILLRANGE, position, matchLength);
      ++markCount_;
    }
  }
  markedFrom_ = owner_->SendScintilla(Sci::SCI_POSITIONFROMLINE, first);
  markedTo_ = owner_->SendScintilla(Sci::SCI_GETLINEENDPOSITION, last);
}

BracketFrame::BracketFrame(TextView* owner) : owner_(owner) {
  // A frame in the text colour, not filled.
  owner_->SendScintilla(Sci::SCI_INDICSETSTYLE, kIndicator, long(Sci::INDIC_STRAIGHTBOX));
  owner_->SendScintilla(Sci::SCI_INDICSETFORE, kIndicator, QColor(Qt::white));
  owner_->SendScintilla(Sci::SCI_INDICSETALPHA, kIndicator, 0L);
  owner_->SendScintilla(Sci::SCI_INDICSETOUTLINEALPHA, kIndicator, 255L);
  owner_->SendScintilla(Sci::SCI_BRACEHIGHLIGHTINDICATOR, 1UL, long(kIndicator));
}

void BracketFrame::Update() {
  std::pair<long, long> frame{-1, -1};
  const long caret = owner_->SendScintilla(Sci::SCI_GETCURRENTPOS);
  const long line = owner_->SendScintilla(Sci::SCI_LINEFROMPOSITION, caret);
  // Only the character right of the caret counts, and only inside its line.
  if (owner_->LineCount() > 0 && caret < owner_->SendScintilla(Sci::SCI_GETLINEENDPOSITION, line)) {
    const char c = char(owner_->SendScintilla(Sci::SCI_GETCHARAT, caret));
    if (c != 0 && std::strchr("()[]{}<>", c)) {
      const long match = owner_->SendScintilla(Sci::SCI_BRACEMATCH, caret, 0L);
      if (match >= 0) frame = {caret, match};
    }
  }
  if (frame == framed_) return;
  framed_ = frame;
  owner_->SendScintilla(Sci::SCI_BRACEHIGHLIGHT, frame.first, frame.second);
}

}  // namespace kestrel::preview

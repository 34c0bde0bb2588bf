#include "preview/LispLexer.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>

namespace kestrel::preview {

namespace {

QColor FromBgr(uint32_t c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

long Send(QsciScintilla* e, unsigned msg, unsigned long w = 0, long l = 0) {
  return e->SendScintilla(msg, w, l);
}

}  // namespace

LispLexer::LispLexer(QObject* parent) : QsciLexerCustom(parent) {
  AttributesChanged();
}

QString LispLexer::description(int style) const {
  if (style == Default) return QStringLiteral("Default");
  auto attributes = const_cast<TSynSampleSyn&>(syn_).Attributes();
  if (style > 0 && style <= int(attributes.size())) {
    return QString::fromStdString(attributes[style - 1]->FriendlyName);
  }
  return {};
}

LispLexer::Style LispLexer::StyleOf(TtkTokenKind kind) {
  switch (kind) {
    case tkComment1:
      return Comment1;
    case tkComment:
      return Comment;
    case tkKey:
      return ReservedWord;
    case tkSpace:
      return Space;
    case tkString:
      return String;
    case tkIdentifier:
    case tkUnknown:
      return Identifier;
    case tkNull:
      break;
  }
  return Default;
}

void LispLexer::SetBaseStyle(const QFont& font, const QColor& text, const QColor& paper) {
  font_ = font;
  text_ = text;
  paper_ = paper;
  setDefaultFont(font);
  setDefaultColor(text);
  setDefaultPaper(paper);
  AttributesChanged();
}

void LispLexer::AttributesChanged() {
  const auto attributes = syn_.Attributes();
  for (int style = Default; style <= String; ++style) {
    const TSynHighlighterAttributes* a = style == Default ? nullptr : attributes[style - 1];
    QFont f = font_;
    f.setBold(a && a->Bold);
    f.setItalic(a && a->Italic);
    setFont(f, style);
    setColor(a && a->Foreground ? FromBgr(*a->Foreground) : text_, style);
    setPaper(a && a->Background ? FromBgr(*a->Background) : paper_, style);
  }
}

void LispLexer::setEditor(QsciScintilla* editor) {
  if (QsciScintilla* old = this->editor()) disconnect(old, nullptr, this, nullptr);
  QsciLexerCustom::setEditor(editor);
  rangeAtEnd_.clear();
  styled_.clear();
  rangesValid_ = 0;
  if (editor) {
    // Lines skipped by a jump are styled as soon as they come into view.
    connect(editor, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { StyleHolesInView(); });
    connect(editor, &QsciScintillaBase::SCN_PAINTED, this, [this] { StyleHolesInView(); });
  }
}

std::string_view LispLexer::LineText(int line, int* eolLength) const {
  QsciScintilla* e = editor();
  const long start = Send(e, QsciScintillaBase::SCI_POSITIONFROMLINE, line);
  const long end = Send(e, QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
  const long next = line + 1 < Send(e, QsciScintillaBase::SCI_GETLINECOUNT)
                        ? Send(e, QsciScintillaBase::SCI_POSITIONFROMLINE, line + 1)
                        : end;
  *eolLength = int(next - end);
  if (end <= start) return {};
  // The whole text as one block: the view only ever appends, so Scintilla's gap is already at
  // the end and this costs nothing. (A pointer does not fit the long that SendScintilla returns
  // on 64-bit Windows, hence the pointer-result call.)
  const char* p = static_cast<const char*>(
      e->SendScintillaPtrResult(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
  return p ? std::string_view(p + start, end - start) : std::string_view();
}

void LispLexer::EnsureRanges(int lines) {
  int eol = 0;
  for (int line = rangesValid_; line < lines; ++line) {
    const TRangeState before = line == 0 ? rsUnKnown : TRangeState(rangeAtEnd_[line - 1]);
    rangeAtEnd_[line] = HighlightLispLine(LineText(line, &eol), before, nullptr);
  }
  rangesValid_ = std::max(rangesValid_, lines);
}

TRangeState LispLexer::RangeBefore(int line) {
  if (line == 0) return rsUnKnown;
  EnsureRanges(line);
  return TRangeState(rangeAtEnd_[line - 1]);
}

void LispLexer::StyleLines(int first, int last) {
  QsciScintilla* e = editor();
  startStyling(int(Send(e, QsciScintillaBase::SCI_POSITIONFROMLINE, first)));
  TRangeState range = RangeBefore(first);
  for (int line = first; line <= last; ++line) {
    int eol = 0;
    const std::string_view text = LineText(line, &eol);
    // Neighbouring runs of one style go to the editor as one.
    int pendingStyle = Default;
    size_t pendingLength = 0;
    range = HighlightLispLine(text, range, [&](size_t, size_t length, TtkTokenKind kind) {
      const int style = StyleOf(kind);
      if (style != pendingStyle && pendingLength > 0) {
        setStyling(int(pendingLength), pendingStyle);
        pendingLength = 0;
      }
      pendingStyle = style;
      pendingLength += length;
    });
    if (pendingLength > 0) setStyling(int(pendingLength), pendingStyle);
    if (eol > 0) setStyling(eol, Space);
    rangeAtEnd_[line] = range;
    styled_[line] = true;
    ++linesStyled_;
  }
  rangesValid_ = std::max(rangesValid_, last + 1);
}

void LispLexer::styleText(int start, int end) {
  QsciScintilla* e = editor();
  if (!e) return;
  const int lineCount = int(Send(e, QsciScintillaBase::SCI_GETLINECOUNT));
  rangeAtEnd_.resize(lineCount, rsUnKnown);
  styled_.resize(lineCount, false);
  int first = int(Send(e, QsciScintillaBase::SCI_LINEFROMPOSITION, start));
  const int last = int(Send(e, QsciScintillaBase::SCI_LINEFROMPOSITION, std::max(start, end - 1)));
  // The editor asks from the first unstyled line; what comes after it may have changed.
  rangesValid_ = std::min(rangesValid_, first);
  std::fill(styled_.begin() + first, styled_.end(), false);

  // After a jump only the lines in view are styled; the lines in between need just their
  // ranges, and get their styles when they are shown.
  const int firstShown = int(Send(e, QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                                  Send(e, QsciScintillaBase::SCI_GETFIRSTVISIBLELINE)));
  if (firstShown > first && firstShown <= last) first = firstShown;
  StyleLines(first, last);
}

void LispLexer::StyleHolesInView() {
  QsciScintilla* e = editor();
  if (!e || styled_.empty()) return;
  const long endStyled = Send(e, QsciScintillaBase::SCI_GETENDSTYLED);
  const int styledLines = int(Send(e, QsciScintillaBase::SCI_LINEFROMPOSITION, endStyled));
  const int top = int(Send(e, QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                           Send(e, QsciScintillaBase::SCI_GETFIRSTVISIBLELINE)));
  const int bottom = std::min({top + int(Send(e, QsciScintillaBase::SCI_LINESONSCREEN)) + 1,
                               styledLines - 1, int(styled_.size()) - 1});
  for (int line = top; line <= bottom; ++line) {
    if (styled_[line]) continue;
    int holeEnd = line;
    while (holeEnd + 1 <= bottom && !styled_[holeEnd + 1])
      ++holeEnd;
    StyleLines(line, holeEnd);
    line = holeEnd;
  }
  // Styling moved the styled end back; put it where it was so nothing is styled twice.
  if (Send(e, QsciScintillaBase::SCI_GETENDSTYLED) != endStyled) startStyling(int(endStyled));
}

}  // namespace kestrel::preview

// The AutoLISP highlighter as a QScintilla lexer: a thin adapter over the tokenizer core that
// keeps the range at the end of each line and styles only the lines the editor shows.
#pragma once

#include <Qsci/qscilexercustom.h>

#include <cstdint>
#include <vector>

#include "preview/core/AutoLispSyn.h"

namespace kestrel::preview {

class LispLexer : public QsciLexerCustom {
  Q_OBJECT
 public:
  // Style numbers: 0 for text not yet styled, then one per attribute in registration order.
  enum Style { Default = 0, Comment1, Comment, Identifier, ReservedWord, Space, String };

  explicit LispLexer(QObject* parent = nullptr);

  const char* language() const override { return TSynSampleSyn::GetLanguageName(); }
  QString description(int style) const override;
  void styleText(int start, int end) override;
  void setEditor(QsciScintilla* editor) override;

  // The tokenizer and its attributes. After changing an attribute call AttributesChanged so
  // that the editor shows it.
  TSynSampleSyn& Highlighter() { return syn_; }
  void AttributesChanged();
  // The face and the colours that apply where an attribute sets none.
  void SetBaseStyle(const QFont& font, const QColor& text, const QColor& paper);

  static Style StyleOf(TtkTokenKind kind);
  // Lines styled since the text was set: a measure for tests and benchmarks.
  int64_t LinesStyledCount() const { return linesStyled_; }

 private:
  void StyleLines(int first, int last);
  void EnsureRanges(int lines);
  TRangeState RangeBefore(int line);
  void StyleHolesInView();
  std::string_view LineText(int line, int* eolLength) const;

  TSynSampleSyn syn_;
  QFont font_;
  QColor text_ = Qt::white;
  QColor paper_ = Qt::black;
  // Range at the end of each line, valid for the lines before rangesValid_.
  std::vector<uint8_t> rangeAtEnd_;
  int rangesValid_ = 0;
  // Lines below the styled end that were skipped when the view jumped ahead.
  std::vector<bool> styled_;
  int64_t linesStyled_ = 0;
};

}  // namespace kestrel::preview

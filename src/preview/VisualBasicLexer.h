// QScintilla has no Visual Basic lexer class, but Scintilla's own "vb" lexer is in the library:
// this class names it and gives it its keywords and style names.
#pragma once

#include <Qsci/qscilexer.h>

namespace kestrel::preview {

class VisualBasicLexer : public QsciLexer {
  Q_OBJECT
 public:
  // Scintilla's style numbers of the "vb" lexer.
  enum {
    Default = 0,
    Comment = 1,
    Number = 2,
    Keyword = 3,
    String = 4,
    Preprocessor = 5,
    Operator = 6,
    Identifier = 7,
    Date = 8,
    UnclosedString = 9,
    Keyword2 = 10,
    Keyword3 = 11,
    Keyword4 = 12,
    Constant = 13,
    Asm = 14,
    Label = 15,
    Error = 16,
    HexNumber = 17,
    BinNumber = 18,
    CommentBlock = 19,
    DocLine = 20,
    DocBlock = 21,
    DocKeyword = 22
  };

  explicit VisualBasicLexer(QObject* parent = nullptr) : QsciLexer(parent) {}

  const char* language() const override { return "Visual Basic"; }
  const char* lexer() const override { return "vb"; }
  bool caseSensitive() const override { return false; }
  const char* keywords(int set) const override;
  QString description(int style) const override;
};

}  // namespace kestrel::preview

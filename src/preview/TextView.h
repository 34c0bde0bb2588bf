// The read-only source view of the TEXT tab: QScintilla on black with a monospace face, a
// line-number gutter and tab width 2, with the five highlighters, find next and previous, the
// search-text marks and the bracket frame.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <QMenu>
#include <QPointer>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel::preview {

class LispLexer;
class BracketFrame;
class TSearchTextHightlighterSynEditPlugin;

enum class TextHighlighter { None, Pascal, Cpp, VisualBasic, CSharp, AutoLisp };

class TextView : public QsciScintilla {
  Q_OBJECT
 public:
  explicit TextView(QWidget* parent = nullptr);
  ~TextView() override;

  // Lines. LineCount is 0 for an empty view; Line takes a 0-based index.
  void Clear();
  void AddLine(const QString& line);
  // The same as AddLine for each of `lines` (UTF-8), in one change of the text.
  void AddLinesUtf8(const std::vector<std::string_view>& lines);
  void SetText(const QString& text);
  void SetTextUtf8(const QByteArray& utf8);
  void SetTextUtf8(std::string_view utf8);  // no copy on the way in
  int LineCount() const;
  QString Line(int index) const;
  void BeginUpdate();
  void EndUpdate();

  void SetHighlighter(TextHighlighter highlighter);
  TextHighlighter Highlighter() const { return highlighter_; }
  LispLexer* LispHighlighter() const { return lisp_; }
  QsciLexer* LexerFor(TextHighlighter highlighter) const;
  TSearchTextHightlighterSynEditPlugin* SearchPlugin() const { return searchPlugin_.get(); }
  BracketFrame* Brackets() const { return brackets_.get(); }

  // Find next (or previous): selects the next occurrence of `text` from the caret; when there
  // is none, beeps and collapses the selection. An empty text clears the marks.
  void FindText(const QString& text, bool backward);
  // Searches from the caret, case-insensitively, and selects what it finds; 1 when found.
  // The text becomes the search pattern whether found or not.
  int SearchReplace(const QString& text, bool backward);
  const QString& SearchPattern() const { return searchPattern_; }
  void ClearSearchPattern();
  // Occurrences of the search pattern in one line: (byte position, byte length) pairs.
  std::vector<std::pair<long, long>> FindAll(int line) const;

  // The first and last document lines in view.
  std::pair<int, int> LinesInView() const;
  // Bumped on every change of the text, so that painting helpers know to look again.
  int ContentGeneration() const { return generation_; }

  void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }
  // The popup menu of the view (the main window's); none shows QScintilla's own.
  void SetContextMenu(QMenu* menu);
  const QFont& TextFont() const { return font_; }

 signals:
  // F3 (forward) or Shift+F3 (backward) in the view: the owner runs the find with its box.
  void FindRequested(bool backward);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool focusNextPrevChild(bool) override { return false; }  // the tab key stays in the view

 private:
  void ApplyViewStyles();
  void SetUpStockLexer(QsciLexer* lexer, std::initializer_list<int> comments,
                       std::initializer_list<int> keywords, std::initializer_list<int> strings);
  void UpdateGutterWidth();
  void ChangeText(const std::function<void()>& change);
  void RefreshDecorations();

  QFont font_;
  QFont gutterFont_;
  TextHighlighter highlighter_ = TextHighlighter::None;
  LispLexer* lisp_ = nullptr;
  QsciLexer* pascal_ = nullptr;
  QsciLexer* cpp_ = nullptr;
  QsciLexer* visualBasic_ = nullptr;
  QsciLexer* csharp_ = nullptr;
  std::unique_ptr<TSearchTextHightlighterSynEditPlugin> searchPlugin_;
  std::unique_ptr<BracketFrame> brackets_;
  QString searchPattern_;
  bool hasLines_ = false;
  int generation_ = 0;
  int gutterDigits_ = 0;
  std::function<void()> beep_;
  QPointer<QMenu> menu_;
};

}  // namespace kestrel::preview

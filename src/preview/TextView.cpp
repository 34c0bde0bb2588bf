#include "preview/TextView.h"

#include <Qsci/qscilexercpp.h>
#include <Qsci/qscilexercsharp.h>
#include <Qsci/qscilexerpascal.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <cstring>
#include <string>

#include "preview/LispLexer.h"
#include "preview/TextViewDecorations.h"
#include "preview/VisualBasicLexer.h"

namespace kestrel::preview {

namespace {

using Sci = QsciScintillaBase;

const QColor kText(255, 255, 255);
const QColor kPaper(0, 0, 0);
const QColor kGutterText(192, 192, 192);  // silver
const QColor kGutterBorder(128, 128, 128);
const QColor kComment(192, 192, 192);  // silver
const QColor kKeyword(0, 255, 255);    // aqua
const QColor kString(0, 255, 0);       // lime

// The window was laid out with font sizes in pixels at 96 dpi; Scintilla takes points.
constexpr double kTextPoints = 13 * 72.0 / 96;
constexpr double kGutterPoints = 11 * 72.0 / 96;

QFont Consolas(double points) {
  // Consolas is a Windows face; elsewhere the nearest monospace face stands in.
  QFont::insertSubstitutions(
      "Consolas", {"DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono", "monospace"});
  QFont font("Consolas");
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPointSizeF(points);
  return font;
}

// Scintilla lays out a whole line to paint any part of it, at about a microsecond a byte here,
// so a file of one 100 MB line would hold the window for minutes. Longer lines are shown broken
// into pieces of at most this many bytes (never inside a character).
constexpr size_t kLongestShownLine = 10000;

bool IsLineBreak(char c) {
  return c == '\n' || c == '\r';
}

bool HasOverlongLine(std::string_view text) {
  size_t lineStart = 0;
  while (lineStart < text.size()) {
    const void* lf = std::memchr(text.data() + lineStart, '\n', text.size() - lineStart);
    const size_t end = lf ? size_t(static_cast<const char*>(lf) - text.data()) : text.size();
    if (end - lineStart > kLongestShownLine) {
      // Maybe lines that end in CR alone.
      size_t run = 0;
      for (size_t i = lineStart; i < end; ++i) {
        run = text[i] == '\r' ? 0 : run + 1;
        if (run > kLongestShownLine) return true;
      }
    }
    lineStart = end + 1;
  }
  return false;
}

std::string BreakOverlongLines(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / kLongestShownLine + 1);
  size_t run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsLineBreak(c)) {
      run = 0;
    } else {
      // Break before the character that would not fit; a run of stray continuation bytes
      // is cut anywhere.
      const auto u = static_cast<unsigned char>(c);
      const size_t length = u < 0x80 ? 1 : u < 0xC0 ? 0 : u < 0xE0 ? 2 : u < 0xF0 ? 3 : 4;
      if ((length > 0 && run + length > kLongestShownLine) || run >= kLongestShownLine) {
        out += '\n';
        run = 0;
      }
      ++run;
    }
    out += c;
  }
  return out;
}

uint32_t Bgr(const QColor& c) {
  return uint32_t(c.red() | (c.green() << 8) | (c.blue() << 16));
}

}  // namespace

TextView::TextView(QWidget* parent)
    : QsciScintilla(parent), font_(Consolas(kTextPoints)), gutterFont_(Consolas(kGutterPoints)) {
  setUtf8(true);
  setReadOnly(true);
  SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);  // nothing to undo in a viewer
  setEdgeMode(EdgeNone);
  setFolding(NoFoldStyle);
  setWrapMode(WrapNone);
  setTabWidth(2);
  setBraceMatching(NoBraceMatch);  // the bracket frame does this
  setCaretForegroundColor(kText);
  setSelectionBackgroundColor(QColor(0, 120, 215));
  setSelectionForegroundColor(kText);

  // Gutter: line numbers, then a one-pixel grey border line.
  setMarginType(0, NumberMargin);
  setMarginLineNumbers(0, true);
  setMarginType(1, SymbolMargin);
  SendScintilla(SCI_SETMARGINTYPEN, 1UL, long(SC_MARGIN_COLOUR));
  SendScintilla(SCI_SETMARGINBACKN, 1UL, long(Bgr(kGutterBorder)));
  setMarginWidth(1, 1);
  setMarginWidth(2, 0);
  setMarginsBackgroundColor(kPaper);

  lisp_ = new LispLexer(this);
  lisp_->SetBaseStyle(font_, kText, kPaper);
  TSynSampleSyn& hl = lisp_->Highlighter();
  hl.fKeyAttri.Foreground = Bgr(kKeyword);
  hl.fKeyAttri.Bold = false;
  hl.fCommentAttri.Foreground = Bgr(kComment);
  hl.fCommentAttri.Italic = true;
  // Block comments look like the other comments.
  hl.fComment1Attri.Foreground = Bgr(kComment);
  hl.fComment1Attri.Italic = true;
  hl.fStringAttri.Foreground = Bgr(kString);
  lisp_->AttributesChanged();

  pascal_ = new QsciLexerPascal(this);
  SetUpStockLexer(
      pascal_,
      {QsciLexerPascal::Comment, QsciLexerPascal::CommentParenthesis, QsciLexerPascal::CommentLine},
      {QsciLexerPascal::Keyword},
      {QsciLexerPascal::SingleQuotedString, QsciLexerPascal::UnclosedString,
       QsciLexerPascal::Character});
  cpp_ = new QsciLexerCPP(this);
  csharp_ = new QsciLexerCSharp(this);
  for (QsciLexer* c : {cpp_, csharp_}) {
    SetUpStockLexer(
        c,
        {QsciLexerCPP::Comment, QsciLexerCPP::CommentLine, QsciLexerCPP::CommentDoc,
         QsciLexerCPP::CommentLineDoc, QsciLexerCPP::CommentDocKeyword,
         QsciLexerCPP::CommentDocKeywordError, QsciLexerCPP::PreProcessorComment,
         QsciLexerCPP::PreProcessorCommentLineDoc},
        {QsciLexerCPP::Keyword, QsciLexerCPP::KeywordSet2},
        {QsciLexerCPP::DoubleQuotedString, QsciLexerCPP::SingleQuotedString,
         QsciLexerCPP::VerbatimString, QsciLexerCPP::RawString, QsciLexerCPP::UnclosedString,
         QsciLexerCPP::TripleQuotedVerbatimString, QsciLexerCPP::HashQuotedString});
  }
  visualBasic_ = new VisualBasicLexer(this);
  SetUpStockLexer(visualBasic_,
                  {VisualBasicLexer::Comment, VisualBasicLexer::CommentBlock,
                   VisualBasicLexer::DocLine, VisualBasicLexer::DocBlock},
                  {VisualBasicLexer::Keyword},
                  {VisualBasicLexer::String, VisualBasicLexer::UnclosedString});

  searchPlugin_ = std::make_unique<TSearchTextHightlighterSynEditPlugin>(this);
  searchPlugin_->Attribute().Background = Bgr(QColor(255, 128, 0));
  searchPlugin_->AttributeChanged();
  brackets_ = std::make_unique<BracketFrame>(this);

  connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { RefreshDecorations(); });
  connect(this, &QsciScintillaBase::SCN_PAINTED, this, [this] { searchPlugin_->AfterPaint(); });
  connect(this, &QsciScintilla::textChanged, this, [this] { ++generation_; });
  beep_ = [] { QApplication::beep(); };

  SetHighlighter(TextHighlighter::AutoLisp);
  Clear();
}

TextView::~TextView() = default;

void TextView::SetUpStockLexer(QsciLexer* lexer, std::initializer_list<int> comments,
                               std::initializer_list<int> keywords,
                               std::initializer_list<int> strings) {
  // Everything white on black in the text face, then the three coloured kinds.
  lexer->setDefaultFont(font_);
  lexer->setDefaultColor(kText);
  lexer->setDefaultPaper(kPaper);
  lexer->setFont(font_, -1);
  lexer->setColor(kText, -1);
  lexer->setPaper(kPaper, -1);
  QFont italic = font_;
  italic.setItalic(true);
  for (int style : comments) {
    lexer->setColor(kComment, style);
    lexer->setFont(italic, style);
  }
  for (int style : keywords)
    lexer->setColor(kKeyword, style);
  for (int style : strings)
    lexer->setColor(kString, style);
}

QsciLexer* TextView::LexerFor(TextHighlighter highlighter) const {
  switch (highlighter) {
    case TextHighlighter::Pascal:
      return pascal_;
    case TextHighlighter::Cpp:
      return cpp_;
    case TextHighlighter::VisualBasic:
      return visualBasic_;
    case TextHighlighter::CSharp:
      return csharp_;
    case TextHighlighter::AutoLisp:
      return lisp_;
    case TextHighlighter::None:
      break;
  }
  return nullptr;
}

void TextView::SetHighlighter(TextHighlighter highlighter) {
  if (highlighter == highlighter_ && lexer() == LexerFor(highlighter)) return;
  highlighter_ = highlighter;
  setLexer(LexerFor(highlighter));
  ApplyViewStyles();
}

void TextView::ApplyViewStyles() {
  // Changing the lexer resets every style, the gutter's included.
  if (!lexer()) {
    SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, font_.family().toLatin1().constData());
    SendScintilla(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT,
                  long(font_.pointSizeF() * SC_FONT_SIZE_MULTIPLIER));
    SendScintilla(SCI_STYLESETFORE, STYLE_DEFAULT, kText);
    SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, kPaper);
    SendScintilla(SCI_STYLECLEARALL);
  }
  SendScintilla(SCI_STYLESETFONT, STYLE_LINENUMBER, gutterFont_.family().toLatin1().constData());
  SendScintilla(SCI_STYLESETSIZEFRACTIONAL, STYLE_LINENUMBER,
                long(gutterFont_.pointSizeF() * SC_FONT_SIZE_MULTIPLIER));
  SendScintilla(SCI_STYLESETITALIC, STYLE_LINENUMBER, 0L);
  SendScintilla(SCI_STYLESETBOLD, STYLE_LINENUMBER, 0L);
  setMarginsForegroundColor(kGutterText);
  setMarginsBackgroundColor(kPaper);
  gutterDigits_ = 0;
  UpdateGutterWidth();
}

void TextView::UpdateGutterWidth() {
  // Auto-sized: room for the largest line number and one more digit.
  const int digits = int(QString::number(std::max(LineCount(), 1)).size()) + 1;
  if (digits == gutterDigits_) return;
  gutterDigits_ = digits;
  setMarginWidth(0, QString(digits, QLatin1Char('9')));
}

void TextView::ChangeText(const std::function<void()>& change) {
  // QScintilla hands every inserted or deleted text to accessibility as a QString, whether a
  // client listens or not: for a large file that costs more than the insertion itself.
  SendScintilla(SCI_SETMODEVENTMASK, 0UL);
  SendScintilla(SCI_SETREADONLY, 0UL);
  change();
  SendScintilla(SCI_SETREADONLY, 1UL);
  SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(SC_MODEVENTMASKALL));
  UpdateGutterWidth();
  emit textChanged();
}

void TextView::Clear() {
  ChangeText([this] { SendScintilla(SCI_CLEARALL); });
  hasLines_ = false;
}

void TextView::AddLine(const QString& line) {
  QByteArray bytes = line.toUtf8();
  if (hasLines_) bytes.prepend('\n');
  hasLines_ = true;
  ChangeText([&] { SendScintilla(SCI_APPENDTEXT, bytes.size(), bytes.constData()); });
}

void TextView::AddLinesUtf8(const std::vector<std::string_view>& lines) {
  if (lines.empty()) return;
  std::string bytes;
  size_t size = lines.size();
  for (std::string_view line : lines)
    size += line.size();
  bytes.reserve(size);
  for (std::string_view line : lines) {
    if (hasLines_) bytes += '\n';
    hasLines_ = true;
    bytes.append(line);
  }
  ChangeText([&] { SendScintilla(SCI_APPENDTEXT, bytes.size(), bytes.data()); });
}

void TextView::SetText(const QString& text) {
  SetTextUtf8(text.toUtf8());
}

void TextView::SetTextUtf8(const QByteArray& utf8) {
  SetTextUtf8(std::string_view(utf8.constData(), size_t(utf8.size())));
}

void TextView::SetTextUtf8(std::string_view utf8) {
  if (HasOverlongLine(utf8)) {
    const std::string broken = BreakOverlongLines(utf8);
    SetTextUtf8(std::string_view(broken));
    return;
  }
  hasLines_ = !utf8.empty();
  ChangeText([&] {
    SendScintilla(SCI_CLEARALL);
    // One allocation for the whole text; appended by length, since a file may hold zero bytes.
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(utf8.size() + 1));
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()), utf8.data());
    SendScintilla(SCI_GOTOPOS, 0UL);
  });
}

int TextView::LineCount() const {
  return hasLines_ ? int(SendScintilla(SCI_GETLINECOUNT)) : 0;
}

QString TextView::Line(int index) const {
  if (index < 0 || index >= LineCount()) return {};
  const long start = SendScintilla(SCI_POSITIONFROMLINE, index);
  const long end = SendScintilla(SCI_GETLINEENDPOSITION, index);
  const char* p = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
  return p ? QString::fromUtf8(p + start, end - start) : QString();
}

void TextView::BeginUpdate() {
  viewport()->setUpdatesEnabled(false);
}

void TextView::EndUpdate() {
  viewport()->setUpdatesEnabled(true);
  viewport()->update();
}

int TextView::SearchReplace(const QString& text, bool backward) {
  searchPattern_ = text;
  const QByteArray needle = text.toUtf8();
  const long caret = SendScintilla(SCI_GETCURRENTPOS);
  SendScintilla(SCI_SETSEARCHFLAGS, 0UL);  // plain text, any case, also inside words
  SendScintilla(SCI_SETTARGETSTART, caret);
  SendScintilla(SCI_SETTARGETEND, backward ? 0L : SendScintilla(SCI_GETLENGTH));
  if (SendScintilla(SCI_SEARCHINTARGET, needle.size(), needle.constData()) < 0) return 0;
  const long start = SendScintilla(SCI_GETTARGETSTART);
  const long end = SendScintilla(SCI_GETTARGETEND);
  // The caret goes to the far end in the search direction.
  if (backward) {
    SendScintilla(SCI_SETSEL, end, start);
  } else {
    SendScintilla(SCI_SETSEL, start, end);
  }
  SendScintilla(SCI_SCROLLRANGE, backward ? end : start, backward ? start : end);
  return 1;
}

void TextView::FindText(const QString& text, bool backward) {
  if (text.isEmpty()) {
    ClearSearchPattern();
  } else if (SearchReplace(text, backward) == 0) {
    if (beep_) beep_();
    const long begin = SendScintilla(SCI_GETSELECTIONSTART);
    const long end = SendScintilla(SCI_GETSELECTIONEND);
    SendScintilla(SCI_SETEMPTYSELECTION, backward ? begin : end);
  }
  RefreshDecorations();
  viewport()->update();
  setFocus();
}

void TextView::ClearSearchPattern() {
  searchPattern_.clear();
  RefreshDecorations();
  viewport()->update();
}

std::vector<std::pair<long, long>> TextView::FindAll(int line) const {
  std::vector<std::pair<long, long>> found;
  if (searchPattern_.isEmpty() || line < 0 || line >= LineCount()) return found;
  const QByteArray needle = searchPattern_.toUtf8();
  auto* self = const_cast<TextView*>(this);  // the target is scratch state
  const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
  long from = SendScintilla(SCI_POSITIONFROMLINE, line);
  self->SendScintilla(SCI_SETSEARCHFLAGS, 0UL);
  while (from < end) {
    self->SendScintilla(SCI_SETTARGETSTART, from);
    self->SendScintilla(SCI_SETTARGETEND, end);
    if (self->SendScintilla(SCI_SEARCHINTARGET, needle.size(), needle.constData()) < 0) break;
    const long start = SendScintilla(SCI_GETTARGETSTART);
    const long stop = SendScintilla(SCI_GETTARGETEND);
    found.emplace_back(start, stop - start);
    from = std::max(stop, start + 1);
  }
  return found;
}

std::pair<int, int> TextView::LinesInView() const {
  const int count = int(SendScintilla(SCI_GETLINECOUNT));
  const long top = SendScintilla(SCI_GETFIRSTVISIBLELINE);
  const int first = int(SendScintilla(SCI_DOCLINEFROMVISIBLE, top));
  const int last =
      int(SendScintilla(SCI_DOCLINEFROMVISIBLE, top + SendScintilla(SCI_LINESONSCREEN)));
  return {std::min(first, count - 1), std::min(last, count - 1)};
}

void TextView::RefreshDecorations() {
  brackets_->Update();
  searchPlugin_->AfterPaint();
}

void TextView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F3) {
    emit FindRequested(event->modifiers() & Qt::ShiftModifier);
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    ClearSearchPattern();
    return;
  }
  QsciScintilla::keyPressEvent(event);
}

void TextView::SetContextMenu(QMenu* menu) {
  menu_ = menu;
}

void TextView::contextMenuEvent(QContextMenuEvent* event) {
  if (menu_) {
    menu_->popup(event->globalPos());
    return;
  }
  QsciScintilla::contextMenuEvent(event);
}

}  // namespace kestrel::preview

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "preview/LispLexer.h"
#include "preview/TextTab.h"
#include "preview/TextView.h"
#include "preview/TextViewDecorations.h"

namespace kestrel::preview {
namespace {

using Sci = QsciScintillaBase;

long Send(TextView* v, unsigned msg, unsigned long w = 0, long l = 0) {
  return v->SendScintilla(msg, w, l);
}

// A shown tab with a counting beep; the text is set and the view painted once.
class TextViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tab.resize(600, 400);
    tab.show();
    view()->SetBeep([this] { ++beeps; });
  }
  TextView* view() { return tab.View(); }
  void Load(const QString& text) {
    view()->SetText(text);
    Settle();
  }
  void Settle() {
    view()->repaint();
    QCoreApplication::processEvents();
  }
  void Search(const QString& text, bool backward = false) {
    tab.SearchBox()->setText(text);
    (backward ? tab.PreviousButton() : tab.NextButton())->click();
    Settle();
  }
  std::pair<long, long> Selection() {
    return {Send(view(), Sci::SCI_GETSELECTIONSTART), Send(view(), Sci::SCI_GETSELECTIONEND)};
  }
  // Positions carrying the search mark.
  std::vector<long> Marks() {
    std::vector<long> marks;
    const long length = Send(view(), Sci::SCI_GETLENGTH);
    for (long pos = 0; pos < length; ++pos) {
      const bool here = Send(view(), Sci::SCI_INDICATORVALUEAT,
                             TSearchTextHightlighterSynEditPlugin::kIndicator, pos) != 0;
      const bool before =
          pos > 0 && Send(view(), Sci::SCI_INDICATORVALUEAT,
                          TSearchTextHightlighterSynEditPlugin::kIndicator, pos - 1) != 0;
      if (here && !before) marks.push_back(pos);
    }
    return marks;
  }

  TextTab tab;
  int beeps = 0;
};

TEST_F(TextViewTest, StartsEmptyReadOnlyBlackWithTheFormSettings) {
  TextView* v = view();
  EXPECT_EQ(v->LineCount(), 0);
  EXPECT_TRUE(v->isReadOnly());
  EXPECT_EQ(v->Highlighter(), TextHighlighter::AutoLisp);
  EXPECT_EQ(v->tabWidth(), 2);
  EXPECT_EQ(v->edgeMode(), QsciScintilla::EdgeNone);
  EXPECT_EQ(Send(v, Sci::SCI_STYLEGETBACK, Sci::STYLE_DEFAULT), 0);
  EXPECT_EQ(Send(v, Sci::SCI_STYLEGETFORE, LispLexer::Identifier), 0xFFFFFF);
  EXPECT_EQ(Send(v, Sci::SCI_STYLEGETFORE, Sci::STYLE_LINENUMBER), 0xC0C0C0);
  EXPECT_GT(v->marginWidth(0), 0);
  EXPECT_TRUE(QFontInfo(v->TextFont()).fixedPitch());
  EXPECT_EQ(tab.SearchBox()->placeholderText(), QStringLiteral("検索文字列"));
  EXPECT_EQ(tab.NextButton()->toolTip(), QStringLiteral("次の検索文字列へ [ F3 ]"));
  EXPECT_TRUE(tab.ShowBox()->isChecked());

  // Read-only also for typing, and the tab key does not leave the view.
  Load("abc");
  v->setFocus();
  QTest::keyClicks(v, "xy");
  QTest::keyClick(v, Qt::Key_Tab);
  EXPECT_EQ(v->Line(0), QStringLiteral("abc"));
  EXPECT_TRUE(v->hasFocus());

  // The popup menu is the one the window gives it.
  QMenu menu;
  menu.addAction("x");
  v->SetContextMenu(&menu);
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), v->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(v->viewport(), &event);
  EXPECT_TRUE(menu.isVisible());
  menu.hide();
}

TEST_F(TextViewTest, LinesAreAddedClearedAndSet) {
  TextView* v = view();
  v->AddLine("BinalyFile");
  EXPECT_EQ(v->LineCount(), 1);
  v->AddLine("");
  v->AddLine("日本語");
  EXPECT_EQ(v->LineCount(), 3);
  EXPECT_EQ(v->Line(2), QStringLiteral("日本語"));
  v->Clear();
  EXPECT_EQ(v->LineCount(), 0);
  v->AddLine("");
  EXPECT_EQ(v->LineCount(), 1);
  // A zero byte inside a text does not cut it short.
  v->SetText(QString::fromUtf8("a\0b\nc", 5));
  EXPECT_EQ(v->LineCount(), 2);
  EXPECT_EQ(v->Line(1), QStringLiteral("c"));
  EXPECT_EQ(Send(v, Sci::SCI_GETLENGTH), 5);
}

// Scintilla lays out whole lines: a file of one huge line is shown in pieces instead of
// holding the window for minutes. Characters are never cut, other lines are untouched.
TEST_F(TextViewTest, OverlongLinesAreShownInPieces) {
  const QString ascii(25000, QLatin1Char('a'));
  const QString kana(5000, QChar(0x3042));  // 15,000 bytes of UTF-8
  view()->SetText(ascii + "\nshort\r" + kana);
  const std::vector<int> lengths = {10000, 10000, 5000, 5, 3333, 1667};
  ASSERT_EQ(view()->LineCount(), int(lengths.size()));
  QString joined;
  for (int i = 0; i < view()->LineCount(); ++i) {
    EXPECT_EQ(view()->Line(i).size(), lengths[i]) << i;
    joined += view()->Line(i);
  }
  EXPECT_EQ(joined, ascii + "short" + kana);
  view()->SetText(QString(10000, QLatin1Char('b')) + "\n");
  EXPECT_EQ(view()->LineCount(), 2);
}

TEST_F(TextViewTest, FindNextAndPreviousWalkAndCollapseAtTheEnds) {
  Load("abc xABCx\nnone\n  aBc");
  // Any case, also inside words; each find goes on from the caret.
  Search("abc");
  EXPECT_EQ(Selection(), std::make_pair(0L, 3L));
  Search("abc");
  EXPECT_EQ(Selection(), std::make_pair(5L, 8L));
  QTest::keyClick(view(), Qt::Key_F3);
  Settle();
  EXPECT_EQ(Selection(), std::make_pair(17L, 20L));
  EXPECT_EQ(beeps, 0);
  // Past the last one: a beep, the caret at the end of what was selected, nothing selected.
  QTest::keyClick(view(), Qt::Key_F3);
  Settle();
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(Selection(), std::make_pair(20L, 20L));
  EXPECT_EQ(Send(view(), Sci::SCI_GETCURRENTPOS), 20);

  QTest::keyClick(view(), Qt::Key_F3, Qt::ShiftModifier);
  Settle();
  EXPECT_EQ(Selection(), std::make_pair(17L, 20L));
  Search("abc", true);
  Search("abc", true);
  EXPECT_EQ(Selection(), std::make_pair(0L, 3L));
  EXPECT_EQ(Send(view(), Sci::SCI_GETCURRENTPOS), 0);
  // Before the first one: a beep, the caret at the start of what was selected.
  Search("abc", true);
  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(Selection(), std::make_pair(0L, 0L));
  EXPECT_TRUE(view()->hasFocus());
}

TEST_F(TextViewTest, MarksEveryOtherOccurrenceUntilClearedByEscOrAnEmptySearch) {
  Load("abc abc\nnothing\nxabcx\n");
  Search("ABC");
  EXPECT_EQ(Selection(), std::make_pair(0L, 3L));
  // The selected occurrence is shown by the selection, not boxed.
  EXPECT_EQ(Marks(), (std::vector<long>{4, 17}));
  Search("abc");
  EXPECT_EQ(Marks(), (std::vector<long>{0, 17}));

  QTest::keyClick(view(), Qt::Key_Escape);
  Settle();
  EXPECT_TRUE(view()->SearchPattern().isEmpty());
  EXPECT_TRUE(Marks().empty());

  Search("abc");
  EXPECT_FALSE(Marks().empty());
  Search("");
  EXPECT_TRUE(Marks().empty());
  EXPECT_EQ(beeps, 0);

  // The pattern survives a new text: its occurrences are marked there too.
  Search("abc");
  Load("zz abc");
  EXPECT_EQ(Marks(), (std::vector<long>{3}));
}

TEST_F(TextViewTest, MarksOnlyTheLinesInView) {
  QString text;
  for (int i = 0; i < 2000; ++i)
    text += QStringLiteral("line %1 key\n").arg(i);
  Load(text);
  Search("key");
  const auto [first, last] = view()->LinesInView();
  EXPECT_EQ(first, 0);
  EXPECT_LT(last, 100);
  EXPECT_EQ(view()->SearchPlugin()->MarkCount(), last - first);  // minus the selected one
  const long farLine = Send(view(), Sci::SCI_POSITIONFROMLINE, 1500);
  EXPECT_EQ(Send(view(), Sci::SCI_INDICATORVALUEAT,
                 TSearchTextHightlighterSynEditPlugin::kIndicator, farLine + 10),
            0);
  // Scrolled there, the marks follow.
  view()->setFirstVisibleLine(1490);
  Settle();
  EXPECT_NE(Send(view(), Sci::SCI_INDICATORVALUEAT,
                 TSearchTextHightlighterSynEditPlugin::kIndicator, farLine + 10),
            0);
}

TEST_F(TextViewTest, EnterInTheSearchBoxFindsAndGoesNoFurther) {
  Load("one two one");
  int seenByTab = 0;
  struct Watch : QObject {
    int* count;
    explicit Watch(int* c) : count(c) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::KeyPress) ++*count;
      return false;
    }
  } watch(&seenByTab);
  tab.installEventFilter(&watch);
  QSignalSpy returned(tab.SearchBox(), &QLineEdit::returnPressed);
  tab.SearchBox()->setText("one");
  tab.SearchBox()->setFocus();
  QTest::keyClick(tab.SearchBox(), Qt::Key_Return);
  EXPECT_EQ(Selection(), std::make_pair(0L, 3L));
  EXPECT_EQ(returned.count(), 0);
  EXPECT_EQ(seenByTab, 0);
}

TEST_F(TextViewTest, FramesTheBracketRightOfTheCaretAndItsPartner) {
  Load("(setq a\n  (list <b> 1))\n(open\n[x]");
  struct Case {
    long caret;
    std::pair<long, long> framed;
  } cases[] = {
      {0, {0, 22}},                   // "(" whose ")" is on the next line
      {16, {16, 18}},                 // "<" and ">"
      {18, {18, 16}}, {1, {-1, -1}},  // not at a bracket
      {24, {-1, -1}},                 // "(" never closed
      {7, {-1, -1}},                  // end of the line
      {30, {30, 32}},                 // "[" on the last line
  };
  for (const Case& c : cases) {
    Send(view(), Sci::SCI_GOTOPOS, c.caret);
    Settle();
    EXPECT_EQ(view()->Brackets()->Framed(), c.framed) << c.caret;
  }
}

TEST_F(TextViewTest, HighlightersColourCommentsKeywordsAndStrings) {
  struct Case {
    TextHighlighter highlighter;
    QString text;
    int comment, keyword, string;  // positions in the text
  } cases[] = {
      {TextHighlighter::AutoLisp, "(setq s \"x\") ; c", 15, 1, 8},
      {TextHighlighter::Pascal, "begin s := 'x'; { c } end", 17, 0, 11},
      {TextHighlighter::Cpp, "int s = \"x\"; // c", 14, 0, 8},
      {TextHighlighter::CSharp, "string s = \"x\"; // c", 17, 0, 11},
      {TextHighlighter::VisualBasic, "Dim s = \"x\" ' c", 13, 0, 8},
  };
  for (const Case& c : cases) {
    view()->SetHighlighter(c.highlighter);
    Load(c.text);
    Send(view(), Sci::SCI_COLOURISE, 0, -1);
    auto fore = [&](int pos) {
      return Send(view(), Sci::SCI_STYLEGETFORE, Send(view(), Sci::SCI_GETSTYLEAT, pos));
    };
    auto style = [&](int pos) { return Send(view(), Sci::SCI_GETSTYLEAT, pos); };
    const int h = int(c.highlighter);
    EXPECT_EQ(fore(c.comment), 0xC0C0C0) << h;
    EXPECT_TRUE(Send(view(), Sci::SCI_STYLEGETITALIC, style(c.comment))) << h;
    EXPECT_EQ(fore(c.keyword), 0xFFFF00) << h;  // aqua in 0x00BBGGRR
    EXPECT_FALSE(Send(view(), Sci::SCI_STYLEGETBOLD, style(c.keyword))) << h;
    EXPECT_EQ(fore(c.string), 0x00FF00) << h;
    EXPECT_EQ(Send(view(), Sci::SCI_STYLEGETBACK, style(c.string)), 0) << h;
  }
  view()->SetHighlighter(TextHighlighter::None);
  Load("(setq s \"x\")");
  EXPECT_EQ(Send(view(), Sci::SCI_STYLEGETFORE, Send(view(), Sci::SCI_GETSTYLEAT, 1)), 0xFFFFFF);
  EXPECT_EQ(Send(view(), Sci::SCI_STYLEGETFORE, Sci::STYLE_LINENUMBER), 0xC0C0C0);
}

// A long AutoLISP text: only what is shown gets styled, also after a jump to the end, and a
// block comment opened near the top still colours the lines at the bottom.
TEST_F(TextViewTest, LispStylesOnlyTheLinesShown) {
  QString text = "(defun c:a ()\n;| opened\n";
  for (int i = 0; i < 5000; ++i)
    text += QStringLiteral("(setq x%1 \"s\")\n").arg(i);
  text += "|; (princ)\n";
  Load(text);
  LispLexer* lexer = view()->LispHighlighter();
  const int64_t atTop = lexer->LinesStyledCount();
  EXPECT_LT(atTop, 100);
  EXPECT_EQ(Send(view(), Sci::SCI_GETSTYLEAT, 1), LispLexer::ReservedWord);

  view()->setFirstVisibleLine(4990);
  Settle();
  EXPECT_LT(lexer->LinesStyledCount() - atTop, 100);
  const long last = Send(view(), Sci::SCI_POSITIONFROMLINE, 5002);
  EXPECT_EQ(Send(view(), Sci::SCI_GETSTYLEAT, last - 5), LispLexer::Comment1);
  EXPECT_EQ(Send(view(), Sci::SCI_GETSTYLEAT, last + 4), LispLexer::ReservedWord);

  // Lines skipped by the jump are styled when they come into view.
  const long middle = Send(view(), Sci::SCI_POSITIONFROMLINE, 2500);
  EXPECT_EQ(Send(view(), Sci::SCI_GETSTYLEAT, middle), LispLexer::Default);
  view()->setFirstVisibleLine(2495);
  Settle();
  EXPECT_EQ(Send(view(), Sci::SCI_GETSTYLEAT, middle), LispLexer::Comment1);
}

}  // namespace
}  // namespace kestrel::preview

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace std::string_literals;

#include "preview/core/AutoLispSyn.h"

namespace kestrel::preview {
namespace {

// "kind:text" for each token of the lines, as the editor pulls them (the terminator's tkNull is
// left out), with "|" between lines; the range is carried from line to line.
std::string Tokens(const std::vector<std::string>& lines, TRangeState range = rsUnKnown) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += " |";
    const std::string& line = lines[i];
    range = HighlightLispLine(line, range, [&](size_t start, size_t length, TtkTokenKind kind) {
      if (!out.empty()) out += ' ';
      out += std::string(TokenKindName(kind)) + ":" + line.substr(start, length);
    });
  }
  return out;
}

TEST(LispTokenizer, TypicalLines) {
  struct Case {
    std::vector<std::string> lines;
    std::string tokens;
  } cases[] = {
      {{"(defun c:test ()"},
       "tkUnknown:( tkKey:defun tkSpace:  tkIdentifier:c tkUnknown:: tkIdentifier:test tkSpace:  "
       "tkUnknown:( tkUnknown:)"},
      {{"SETQ setq Setq setqx"},
       "tkKey:SETQ tkSpace:  tkKey:setq tkSpace:  tkKey:Setq tkSpace:  tkIdentifier:setqx"},
      {{"; note", "(a)"}, "tkComment:; note | tkUnknown:( tkIdentifier:a tkUnknown:)"},
      {{"(princ \"open", "t)"},
       "tkUnknown:( tkKey:princ tkSpace:  tkString:\"open | tkKey:t tkUnknown:)"},
      {{"12.5"}, "tkUnknown:1 tkUnknown:2 tkUnknown:. tkUnknown:5"},
      // No escapes: the backslash is plain, the last quote opens a string to the line end.
      {{"\"a\\\"b\""}, "tkString:\"a\\\" tkIdentifier:b tkString:\""},
      {{"x1 a_2"}, "tkIdentifier:x1 tkSpace:  tkIdentifier:a_2"},
      {{"\t \t(if"}, "tkSpace:\t \t tkUnknown:( tkKey:if"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Tokens(c.lines), c.tokens) << c.lines[0];
}

TEST(LispTokenizer, KeywordsWithDashStarAndArrowMatchWhole) {
  struct Case {
    std::string line, tokens;
  } cases[] = {
      {"(vl-load-com)", "tkUnknown:( tkKey:vl-load-com tkUnknown:)"},
      {"*error*", "tkKey:*error*"},
      {"vlax-ename->vla-object", "tkKey:vlax-ename->vla-object"},
      {"vl-list* VL-LIST->STRING", "tkKey:vl-list* tkSpace:  tkKey:VL-LIST->STRING"},
      // A word containing a keyword is not one; a lone "*" or "-" is an operator.
      {"load-it my-setq", "tkIdentifier:load-it tkSpace:  tkIdentifier:my-setq"},
      {"(* 2 x)",
       "tkUnknown:( tkUnknown:* tkSpace:  tkUnknown:2 tkSpace:  tkIdentifier:x "
       "tkUnknown:)"},
      {"(- a 1)",
       "tkUnknown:( tkUnknown:- tkSpace:  tkIdentifier:a tkSpace:  tkUnknown:1 "
       "tkUnknown:)"},
      {"(>= a b)",
       "tkUnknown:( tkUnknown:> tkUnknown:= tkSpace:  tkIdentifier:a tkSpace:  "
       "tkIdentifier:b tkUnknown:)"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Tokens({c.line}), c.tokens) << c.line;
}

TEST(LispTokenizer, BlockCommentRunsAcrossLines) {
  EXPECT_EQ(Tokens({"(a) ;| one", "two", "", "three |; (b)", "c"}),
            "tkUnknown:( tkIdentifier:a tkUnknown:) tkSpace:  tkComment1:;| one | "
            "tkComment1:two | | tkComment1:three |; tkSpace:  tkUnknown:( tkIdentifier:b "
            "tkUnknown:) | tkIdentifier:c");
  // The opener's bar does not close it; a closer without opener is punctuation.
  EXPECT_EQ(Tokens({";|;", "x|;y"}), "tkComment1:;|; | tkComment1:x|; tkIdentifier:y");
  EXPECT_EQ(Tokens({"|;"}), "tkUnknown:| tkComment:;");
  EXPECT_EQ(Tokens({";|a|;b"}), "tkComment1:;|a|; tkIdentifier:b");
}

TEST(LispTokenizer, RangeAtLineEnd) {
  struct Case {
    std::string line;
    TRangeState start, end;
  } cases[] = {
      {"(setq a 1)", rsUnKnown, rsUnKnown},
      {"\"open", rsUnKnown, rsString},
      {"\"closed\"", rsUnKnown, rsUnKnown},
      {"; note", rsUnKnown, rsAutoLISPComment},
      {";| open", rsUnKnown, rsAutoLISPComment1},
      {"still open", rsAutoLISPComment1, rsAutoLISPComment1},
      {"done |;", rsAutoLISPComment1, rsUnKnown},
      // Only the block comment changes how a line starts; the others just stay stored.
      {"(a)", rsString, rsString},
      {"(a)", rsAutoLISPComment, rsAutoLISPComment},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HighlightLispLine(c.line, c.start, nullptr), c.end) << c.line;
  }
}

TEST(LispTokenizer, EditorProtocolAndLineBreakCharacters) {
  TSynSampleSyn syn;
  syn.SetLine("");
  EXPECT_EQ(syn.GetTokenID(), tkNull);
  EXPECT_TRUE(syn.GetEol());

  // A line handed over with its break: CR LF is one space token, then the terminator.
  syn.SetLine("a;x\r\n");
  std::vector<std::pair<TtkTokenKind, std::string>> seen;
  for (; !syn.GetEol(); syn.Next())
    seen.emplace_back(syn.GetTokenID(), syn.GetToken());
  seen.emplace_back(syn.GetTokenID(), syn.GetToken());
  const std::vector<std::pair<TtkTokenKind, std::string>> expected = {
      {tkIdentifier, "a"}, {tkComment, ";x"}, {tkSpace, "\r\n"}, {tkNull, ""}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(Tokens({"\"s\ns\""}), "tkString:\"s tkSpace:\n tkIdentifier:s tkString:\"");
}

TEST(LispTokenizer, NonAsciiCharacterIsOneToken) {
  EXPECT_EQ(Tokens({"(princ \"線\") 点x"}),
            "tkUnknown:( tkKey:princ tkSpace:  tkString:\"線\" tkUnknown:) tkSpace:  "
            "tkUnknown:点 tkIdentifier:x");
}

TEST(LispTokenizer, HashTableMatchesCheckValues) {
  struct Case {
    const char* word;
    int index, slot;
  } cases[] = {{"abs", 1, 611},     {"car", 41, 3096}, {"defun", 51, 2125}, {"nil", 161, 4223},
               {"setq", 191, 3081}, {"t", 216, 235},   {"zerop", 418, 4207}};
  for (const Case& c : cases) {
    EXPECT_EQ(autolisp::KeywordList()[c.index], c.word == std::string("t") ? "T" : c.word);
    EXPECT_EQ(autolisp::KeywordSlot(c.index), c.slot) << c.word;
    EXPECT_EQ(autolisp::SlotEntry(c.slot), c.index) << c.word;
  }
  // The hash wraps at 32 bits: "defun" already overflows.
  EXPECT_EQ(autolisp::HashSlot("DEFUN"), 2125);

  int used = 0;
  for (int s = 0; s < autolisp::kSlotCount; ++s)
    used += autolisp::SlotEntry(s) >= 0;
  EXPECT_EQ(used, autolisp::kKeywordCount);  // no two keywords share a slot
  EXPECT_EQ(autolisp::SlotEntry(-1), -1);
  EXPECT_EQ(autolisp::SlotEntry(autolisp::kSlotCount), -1);
}

TEST(LispTokenizer, EveryKeywordIsOneReservedWordInAnyCase) {
  const auto& list = autolisp::KeywordList();
  ASSERT_EQ(list.size(), 419u);
  for (const std::string& word : list) {
    std::string upper = word, lower = word;
    for (char& c : upper)
      c = char(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : lower)
      c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& w : {word, upper, lower}) {
      EXPECT_EQ(Tokens({"(" + w + " x)"}),
                "tkUnknown:( tkKey:" + w + " tkSpace:  tkIdentifier:x tkUnknown:)");
    }
  }
}

TEST(LispTokenizer, ConstantsAndAttributes) {
  const std::string words = TSynSampleSyn::GetKeyWords();
  EXPECT_EQ(words.size(), 5244u);
  EXPECT_EQ(words.substr(0, 12), "*error*,abs,");
  EXPECT_EQ(words.substr(words.size() - 12), "xdsize,zerop");
  EXPECT_EQ(std::string(TSynSampleSyn::SampleSource()),
            "Sample source for: \r\nSyntax Parser/Highlighter");

  TSynSampleSyn syn;
  EXPECT_FALSE(syn.IsFilterStored());
  syn.DefaultFilterValue = "LISP (*.lsp)|*.lsp";
  EXPECT_TRUE(syn.IsFilterStored());

  std::string names;
  for (TSynHighlighterAttributes* a : syn.Attributes()) {
    names += a->Name + "/" + a->FriendlyName + (a->Bold ? "/bold" : "") + ",";
    EXPECT_FALSE(a->Italic || a->Foreground || a->Background) << a->Name;
  }
  EXPECT_EQ(names,
            "Comment1/Comment1,Comment/Comment,Identifier/Identifier,"
            "ReservedWord/Reserved Word/bold,Space/Space,String/String,");

  const TSynHighlighterAttributes* roles[] = {
      nullptr, &syn.fIdentifierAttri, &syn.fKeyAttri, &syn.fStringAttri, &syn.fSpaceAttri, nullptr};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(syn.GetDefaultAttribute(i), roles[i]) << i;

  syn.SetLine("12");
  EXPECT_EQ(syn.GetTokenAttribute(), &syn.fIdentifierAttri);  // numbers look like identifiers
  syn.SetLine("");
  EXPECT_EQ(syn.GetTokenAttribute(), nullptr);

  for (char c = 0; c < 127; ++c) {
    const bool ident =
        (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z');
    EXPECT_EQ(TSynSampleSyn::IsIdentChar(c), ident) << int(c);
  }
  EXPECT_FALSE(TSynSampleSyn::IsIdentChar('-'));
}

// Whatever the bytes, the runs tile the line exactly and scanning ends.
TEST(LispTokenizer, ArbitraryBytesAreTiledByRuns) {
  std::mt19937 rng(5);
  const std::string alphabet = "(;|\"*->ab \t\r\n\0\x80\xE7\xB7\x9A"s;
  for (int round = 0; round < 2000; ++round) {
    std::string line(rng() % 40, ' ');
    for (char& c : line)
      c = alphabet[rng() % alphabet.size()];
    const auto range = TRangeState(rng() % 4);
    size_t next = 0;
    HighlightLispLine(line, range, [&](size_t start, size_t length, TtkTokenKind) {
      ASSERT_EQ(start, next);
      ASSERT_GT(length, 0u);
      next = start + length;
    });
    EXPECT_EQ(next, line.size());
  }
}

}  // namespace
}  // namespace kestrel::preview

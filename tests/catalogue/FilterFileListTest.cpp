#include "catalogue/FilterFileList.h"
#include "catalogue/StatusTexts.h"

#include <gtest/gtest.h>

using namespace kestrel::catalogue;

namespace {

std::vector<std::string> Search(const std::vector<std::string>& paths, const char* text,
                                bool orMode) {
  FileList list;
  for (const std::string& p : paths)
    list.Append(p, 0);
  list.SortAndRemoveDuplicates();
  std::vector<uint32_t> hits;
  FilterFileList(list, MakeSearchQuery(text, orMode), hits, [](size_t) { return true; });
  std::vector<std::string> out;
  for (uint32_t i : hits)
    out.emplace_back(list.Path(i));
  return out;
}

using Paths = std::vector<std::string>;

}  // namespace

TEST(FilterFileList, WordRules) {
  const Paths paths = {"/w/dwg/plan.dwg", "/w/old/plan.dwg", "/w/plan.txt",
                       "/w/x.dwg",        "/w/noext",        "/w/.",
                       "/w/plans.old",    "/w/ｂ.txt"};
  struct Case {
    const char* text;
    bool orMode;
    Paths expected;
  } cases[] = {
      {"",
       false,
       {"/w/dwg/plan.dwg", "/w/old/plan.dwg", "/w/plan.txt", "/w/plans.old", "/w/x.dwg",
        "/w/ｂ.txt"}},
      {"dwg plan", false, {"/w/dwg/plan.dwg", "/w/old/plan.dwg"}},
      {"PLAN !old", false, {"/w/dwg/plan.dwg", "/w/plan.txt"}},
      {"dwg plan",
       true,
       {"/w/dwg/plan.dwg", "/w/old/plan.dwg", "/w/plan.txt", "/w/plans.old", "/w/x.dwg"}},
      {"plan !old", true, {"/w/dwg/plan.dwg", "/w/plan.txt"}},
      {"dwg  plan", false, {}},  // the empty word between two blanks never occurs
      {"dwg  plan",
       true,
       {"/w/dwg/plan.dwg", "/w/old/plan.dwg", "/w/plan.txt", "/w/plans.old", "/w/x.dwg"}},
      {"   ",
       false,
       {"/w/dwg/plan.dwg", "/w/old/plan.dwg", "/w/plan.txt", "/w/plans.old", "/w/x.dwg",
        "/w/ｂ.txt"}},
      {"   ", true, {}},
      {"! x.dwg", false, {"/w/x.dwg"}},     // a lone "!" excludes nothing
      {"Ｂ", false, {}},                    // full-width letters are not folded
      {"w/d", false, {"/w/dwg/plan.dwg"}},  // words may span a separator
      {"　", false, {}},                    // an ideographic space is part of a word
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Search(paths, c.text, c.orMode), c.expected)
        << '"' << c.text << '"' << (c.orMode ? " OR" : " AND");
  }
}

TEST(FilterFileList, NamesThatAreNotUtf8AreFoundByTheirOtherCharacters) {
  // Only ASCII letters are folded; the bytes of an invalid name are compared as they stand.
  const Paths paths = {"/w/caf\xe9.dwg", "/w/\x90\x7d\x96\xca.dxf", "/w/x\xf0.dwg", "/w/plan.dwg"};
  EXPECT_EQ(Search(paths, "CAF dwg", false), Paths{"/w/caf\xe9.dwg"});
  EXPECT_EQ(Search(paths, "DXF", false), Paths{"/w/\x90\x7d\x96\xca.dxf"});
  EXPECT_EQ(Search(paths, "x !plan", false), (Paths{"/w/x\xf0.dwg", "/w/\x90\x7d\x96\xca.dxf"}));
}

TEST(FilterFileList, PathOfResultLineCutsAtTheFirstBracket) {
  EXPECT_EQ(PathOfResultLine("[23/08/12] /data/a] b.lsp"), "/data/a] b.lsp");
  EXPECT_EQ(PathOfResultLine("no date"), "no date");
}

TEST(FilterFileList, DisplayTextKeepsEachNameOnOneVisibleLine) {
  using namespace std::string_literals;
  struct Case {
    std::string bytes;
    std::string shown;
  } cases[] = {
      {"/w/plan.dwg", "/w/plan.dwg"},
      {"/w/図面 ① ～.dwg", "/w/図面 ① ～.dwg"},
      {"/w/a\nb.txt", "/w/a␊b.txt"},
      {"a\rb\tc\x1b\x1f", "a␍b␉c␛␟"},
      {"a\0b"s, "a␀b"},
      {"del\x7f", "del␡"},
      {"/w/caf\xe9.txt", "/w/caf\uFFFD.txt"},
      {"\x90\x7d\x96\xca.dwg", "\uFFFD}\uFFFD\uFFFD.dwg"},           // Shift_JIS
      {"x\xe6\x97.dwg", "x\uFFFD\uFFFD.dwg"},                        // cut off: one per byte
      {"\xc0\xaf \xed\xa0\x80", "\uFFFD\uFFFD \uFFFD\uFFFD\uFFFD"},  // overlong, surrogate
      {"\xf0\x9f\x98\x80\xf4\x90\x80\x80", "😀\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\xc2\x85", "\xc2\x85"},  // valid UTF-8 stays as it is
      // Long runs are looked at eight bytes at a time: controls at every place in them.
      {"/folder/a\nb.txt/x", "/folder/a␊b.txt/x"},
      {"01234567\17789abcdef\001", "01234567␡89abcdef␁"},  // octal: a hex escape would run on
      {"0123456789abcdef\x1f", "0123456789abcdef␟"},
      {"0123456~\200234567~", "0123456~\uFFFD234567~"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DisplayText(c.bytes), c.shown) << c.shown;
  }
}

TEST(FilterFileList, ExtensionRule) {
  EXPECT_TRUE(HasExtension("/a/b.c"));
  EXPECT_TRUE(HasExtension("/a/.bashrc"));
  EXPECT_FALSE(HasExtension("/a.d/b"));
  EXPECT_FALSE(HasExtension("/a/b."));
  EXPECT_FALSE(HasExtension("/a/.."));
}

TEST(FilterFileList, StopsWhenTheCallbackSaysSoAndKeepsHitsSoFar) {
  FileList list;
  for (int i = 0; i < 10; ++i)
    list.Append("/f" + std::to_string(i) + ".dwg", 0);
  list.SortAndRemoveDuplicates();
  std::vector<uint32_t> hits;
  size_t calls = 0;
  EXPECT_FALSE(
      FilterFileList(list, MakeSearchQuery("", false), hits, [&](size_t) { return ++calls < 3; }));
  EXPECT_EQ(hits.size(), 3u);
}

TEST(FilterFileList, DateOrderPutsNinetyNineAfterTwentyThree) {
  FileList list;
  auto dos = [](int year, int month, int day) {
    return uint32_t(((year - 1980) << 9) | (month << 5) | day) << 16;
  };
  list.Append("/a.dwg", dos(1999, 5, 1));
  list.Append("/b.dwg", dos(2023, 1, 2));
  list.Append("/c.dwg", dos(2023, 1, 2));
  list.Append("/d.dwg", dos(2022, 12, 31));
  list.SortAndRemoveDuplicates();
  std::vector<uint32_t> hits = {0, 1, 2, 3};
  SortHitsByDate(list, hits);
  EXPECT_EQ(hits, (std::vector<uint32_t>{3, 1, 2, 0}));
}

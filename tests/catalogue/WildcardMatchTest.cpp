#include "catalogue/WildcardMatch.h"

#include <gtest/gtest.h>

using kestrel::catalogue::MatchesMask;

TEST(MatchesMask, Table) {
  struct Case {
    const char* mask;
    const char* name;
    bool expected;
  } cases[] = {
      {"*.dwg", "plan.dwg", true},
      {"*.dwg", "PLAN.DWG", true},
      {"*.DWG", "plan.dwg", true},
      {"*.dwg", "plan.dwgx", false},
      {"*.dwg", "plan.dxf", false},
      {"*.dwg", ".hidden.dwg", true},
      {"*.*", "README", true},  // as on Windows, *.* takes names without a dot too
      {"*.*", ".", true},
      {"*.*", "..", true},
      {"*", "anything", true},
      {"*.xls*", "book.xlsx", true},
      {"*.xls*", "book.xls", true},
      {"a?c.txt", "abc.txt", true},
      {"a?c.txt", "ac.txt", false},
      {"a?c.txt", "a日c.txt", true},  // ? is one character, not one byte
      {"*図面*", "新しい図面.dwg", true},
      {"*a*b*c", "xaxxbxxxc", true},
      {"*a*b*c", "xaxxbxxxcx", false},
      {"", "a", false},
      {"", "", true},
      {"plan.dwg", "plan.dwg", true},
      // Names that are not UTF-8: each invalid byte is one character of its own.
      {"*.dwg", "caf\xe9.dwg", true},           // Latin-1
      {"caf?.dwg", "caf\xe9.dwg", true},        // ? takes the invalid byte
      {"*.dwg", "\x90\x7d\x96\xca.dwg", true},  // Shift_JIS 図面
      {"????.dwg", "\x90\x7d\x96\xca.dwg", true},
      {"*.dwg", "x\xf0.dwg", true},      // a lead byte followed by ASCII
      {"*.dwg", "x\xe6\x97.dwg", true},  // a cut-off sequence before the dot
      {"x??.dwg", "x\xe6\x97.dwg", true},
      {"x?.dwg", "x\xe6\x97.dwg", false},
      {"*.dwg", "a.dw\xe6", false},
      {"a???", "a\xf0\x9f\x98", true},  // cut off at the end of the name: three bytes
      {"a??", "a\xf0\x9f\x98", false},
      {"??.txt", "\xc0\xaf.txt", true},  // overlong "/"
      {"?.txt", "\xc0\xaf.txt", false},
      {"???.txt", "\xe0\x80\xaf.txt", true},       // overlong "/", three bytes
      {"???.txt", "\xed\xa0\x80.txt", true},       // a surrogate
      {"????.txt", "\xf4\x90\x80\x80.txt", true},  // above U+10FFFF
      {"?.txt", "\xf4\x90\x80\x80.txt", false},
      {"?.txt", "\xf0\x9f\x98\x80.txt", true},  // U+1F600 is one character
      {"??.dwg", "図面.dwg", true},
      {"?.dwg", "図面.dwg", false},
      {"*面.dwg", "\xe5図面.dwg", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesMask(c.mask, c.name), c.expected) << c.mask << " vs " << c.name;
  }
}

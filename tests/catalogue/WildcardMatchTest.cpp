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
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesMask(c.mask, c.name), c.expected) << c.mask << " vs " << c.name;
  }
}

#include "dxf/MText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kestrel::dxf {
namespace {

TEST(SplitMTextLines, Table) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"A", {"A"}},
      {"A\\PB\\P", {"A", "B"}},
      {"A^JB", {"A", "B"}},
      {"A\\pB", {"A", "B"}},
      {"A\\P\\PB", {"A", "", "B"}},
      {"\\PA", {"", "A"}},
      {"A\\P  ", {"A"}},                      // only the last line is checked for blanks
      {"  \\PA\\P  \\P", {"  ", "A", "  "}},  // the empty last piece goes, nothing more
      {"{\\fArial;A\\P}", {"{\\fArial;A"}},
      {"A\\P } \\PB", {"A", "B"}},
      {"\"say \"\"hi\"\"\" now\\PB", {"say \"hi\"", " now", "B"}},
      {"\"open\\Pquote", {"open\rquote"}},
      {"A\\P\"q\"", {"A", "q"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = {"stale"};
    EXPECT_EQ(SplitMTextLines(c.text, lines), int(c.lines.size())) << c.text;
    EXPECT_EQ(lines, c.lines) << c.text;
  }
}

}  // namespace
}  // namespace kestrel::dxf

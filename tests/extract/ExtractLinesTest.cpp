// The line splitting between the extracted text and the text view.
#include <gtest/gtest.h>

#include "extract/ExtractCommand.h"

using kestrel::extract::SplitExtractedLines;

TEST(SplitExtractedLines, CutsAtCrAndDropsTheLfAfterIt) {
  using V = std::vector<std::string_view>;
  const struct {
    std::string_view text;
    V lines;
  } cases[] = {
      {"", {}},
      {"一行", {"一行"}},
      {"a\r\nb", {"a", "b"}},
      {"a\r\n", {"a", ""}},
      {"a\rb\r\r\nc", {"a", "b", "", "c"}},
      {"a\nb", {"a\nb"}},  // a LF alone does not cut
      {"\r\n\r\n", {"", "", ""}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitExtractedLines(c.text), c.lines) << c.text;
}

#include "dxf/SharedString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel::dxf {
namespace {

TEST(SharedString, HoldsEveryLengthAroundTheInlineLimit) {
  for (size_t n :
       {size_t(0), size_t(1), size_t(14), size_t(15), size_t(16), size_t(17), size_t(1000)}) {
    std::string text;
    for (size_t i = 0; i < n; ++i)
      text += char('a' + i % 26);
    SharedString s(text);
    EXPECT_EQ(s.size(), n);
    EXPECT_EQ(s.view(), text);
    EXPECT_EQ(s.empty(), n == 0);
    SharedString copy = s;
    EXPECT_EQ(copy, s);
    EXPECT_EQ(copy.view(), text);
  }
}

TEST(SharedString, CopiesOfALongStringShareItsCharacters) {
  const std::string text(200000, 'x');
  SharedString s(text);
  std::vector<SharedString> copies(1000, s);
  for (const SharedString& c : copies)
    EXPECT_EQ(c.data(), s.data());
  // Each copy counts its part of the block: the block counts once, however many share it.
  size_t counted = s.SharedBytes();
  for (const SharedString& c : copies)
    counted += c.SharedBytes();
  EXPECT_GE(counted, text.size());
  EXPECT_LE(counted, text.size() + 2000);
  EXPECT_EQ(SharedString("short").SharedBytes(), 0u);
}

TEST(SharedString, ChangingOneCopyLeavesTheOthers) {
  SharedString a(std::string(40, 'a'));
  SharedString b = a;
  b += "tail";
  EXPECT_EQ(a.view(), std::string(40, 'a'));
  EXPECT_EQ(b.view(), std::string(40, 'a') + "tail");
  SharedString c = a;
  c = "other";
  EXPECT_EQ(a.view(), std::string(40, 'a'));
  c = a;
  a.clear();
  EXPECT_TRUE(a.empty());
  EXPECT_EQ(c.view(), std::string(40, 'a'));
}

TEST(SharedString, AppendsGrowAStringHeldAloneInPlace) {
  SharedString s;
  std::string expected;
  for (int i = 0; i < 2000; ++i) {
    s += "chunk of 250 bytes? no, of 24";
    expected += "chunk of 250 bytes? no, of 24";
  }
  EXPECT_EQ(s.view(), expected);
  const char* before = s.data();
  s += "x";  // the room left by the last growth
  EXPECT_EQ(s.data(), before);
  s += s;  // its own characters
  EXPECT_EQ(s.view(), expected + "x" + expected + "x");
  SharedString inlined("abc");
  inlined += inlined;
  EXPECT_EQ(inlined, "abcabc");
}

TEST(SharedString, AssignmentsFromItself) {
  SharedString s(std::string(30, 'q'));
  SharedString& same = s;
  s = same;
  EXPECT_EQ(s.view(), std::string(30, 'q'));
  s = std::move(same);
  EXPECT_EQ(s.view(), std::string(30, 'q'));
  s = s.substr(10);  // a view into the string it replaces
  EXPECT_EQ(s.view(), std::string(20, 'q'));
  s = s.substr(12);
  EXPECT_EQ(s, "qqqqqqqq");
}

TEST(SharedString, ComparesAsItsText) {
  struct Case {
    std::string a, b;
  } cases[] = {
      {"", ""},
      {"0", "0"},
      {"0", "1"},
      {"WALL", "wall"},
      {std::string(15, 'z'), std::string(16, 'z')},
      {std::string(20, 'z'), std::string(20, 'z')},
      {std::string(20, 'z'), std::string(19, 'z') + "y"},
      {std::string("a\0b", 3), std::string("a\0c", 3)},
  };
  for (const Case& c : cases) {
    const SharedString a(c.a), b(c.b);
    EXPECT_EQ(a == b, c.a == c.b) << c.a << " / " << c.b;
    EXPECT_EQ(a == std::string_view(c.b), c.a == c.b);
    EXPECT_EQ(a == c.b, c.a == c.b);
    EXPECT_EQ(a < b, c.a < c.b);
  }
  EXPECT_TRUE(SharedString("BYLAYER") == "BYLAYER");
  EXPECT_TRUE(SharedString("*U12").starts_with('*'));
}

}  // namespace
}  // namespace kestrel::dxf

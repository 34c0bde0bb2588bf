#include "base/TextCodec.h"

#include <gtest/gtest.h>

using namespace kestrel;

TEST(TextCodec, AnsiRoundTripIncludingWindowsOnlyCharacters) {
  // ① and ～ exist only in Windows' variant of Shift_JIS.
  const std::string text = "日本語 ① ～ ABC";
  auto ansi = Utf8ToAnsi(text);
  ASSERT_TRUE(ansi);
  EXPECT_EQ(AnsiToUtf8Strict(*ansi).value(), text);
  EXPECT_FALSE(Utf8ToAnsi("Ελληνικά ☃"));  // not in code page 932
}

TEST(TextCodec, StrictDecodersRejectInvalidBytes) {
  EXPECT_FALSE(IsValidUtf8("\xE6\x97"));      // truncated
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_TRUE(IsValidUtf8("日本"));
  EXPECT_FALSE(AnsiToUtf8Strict("\x82"));  // lead byte without trail byte
  EXPECT_EQ(AnsiToUtf8("a\x82"), "a\xEF\xBF\xBD");
}

TEST(TextCodec, BomWinsOverFallback) {
  TextEncoding used;
  EXPECT_EQ(DecodeText("\xEF\xBB\xBFok", TextEncoding::Ansi, &used), "ok");
  EXPECT_EQ(used, TextEncoding::Utf8);
  EXPECT_EQ(DecodeText(std::string("\xFF\xFEo\0k\0", 6), TextEncoding::Ansi, &used), "ok");
  EXPECT_EQ(used, TextEncoding::Utf16LE);
  EXPECT_EQ(DecodeText("\x93\xfa", TextEncoding::Ansi, &used), "日");
  EXPECT_EQ(used, TextEncoding::Ansi);
}

TEST(TextCodec, EncodeFallsBackToUtf8WithBomWhenAnsiWouldLoseCharacters) {
  TextEncoding used;
  EXPECT_EQ(EncodeText("日", TextEncoding::Ansi, false, &used), "\x93\xfa");
  EXPECT_EQ(used, TextEncoding::Ansi);
  EXPECT_EQ(EncodeText("☃", TextEncoding::Ansi, false, &used), "\xEF\xBB\xBF\xE2\x98\x83");
  EXPECT_EQ(used, TextEncoding::Utf8);
  EXPECT_EQ(EncodeText("ok", TextEncoding::Utf16LE, false), std::string("\xFF\xFEo\0k\0", 6));
}

// Found by fuzzing: the lenient decoders give UTF-8 for any bytes. (iconv's UTF-8 decoder let
// code points above U+10FFFF and five-byte forms through.) Each invalid byte is one U+FFFD.
TEST(TextCodec, LenientDecodingAlwaysGivesUtf8) {
  const std::string r = "\xEF\xBF\xBD";
  struct Case {
    std::string bytes;
    TextEncoding fallback;
    std::string text;
  } cases[] = {
      {"a\xF4\x90\x80\x80"
       "b",
       TextEncoding::Utf8, "a" + r + r + r + r + "b"},
      {"\xF8\x88\x80\x80\x80", TextEncoding::Utf8, r + r + r + r + r},
      {"\xEF\xBB\xBF\xED\xA0\x80\xC0\xAF", TextEncoding::Ansi, r + r + r + r + r},
      {"\xE6\x97", TextEncoding::Utf8, r + r},
      {"\x82\xA0\x82", TextEncoding::Ansi, "あ" + r},
      {std::string("\x00\xFD\xFE\xFF", 4), TextEncoding::Ansi, std::string(1, '\0') + r + r + r},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeText(c.bytes, c.fallback), c.text);
  }
  // A long binary run: every byte decoded, none lost.
  const std::string binary(100'000, '\xFF');
  std::string expected;
  for (size_t i = 0; i < binary.size(); ++i)
    expected += r;
  EXPECT_EQ(AnsiToUtf8(binary), expected);
}

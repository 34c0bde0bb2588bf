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

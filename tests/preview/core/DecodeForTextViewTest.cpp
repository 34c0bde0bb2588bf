#include <gtest/gtest.h>

#include <string>

#include "preview/core/TextDecode.h"

using namespace kestrel;
using namespace kestrel::preview;

TEST(DecodeForTextView, FallsBackThroughTheEncodings) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string text;
    TextAttempt attempt;
    std::optional<TextEncoding> bom;
  };
  const Case cases[] = {
      {"empty", "", "", TextAttempt::Utf8, {}},
      {"utf-8 without mark", "日本語 ①", "日本語 ①", TextAttempt::Utf8, {}},
      // Long ASCII runs are checked a word at a time; what follows must still be checked.
      {"ascii run then utf-8",
       std::string(13, 'a') + "日本",
       std::string(13, 'a') + "日本",
       TextAttempt::Utf8,
       {}},
      {"ascii run then shift_jis",
       std::string(21, 'a') + "\x93\xfa",
       std::string(21, 'a') + "日",
       TextAttempt::Ansi,
       {}},
      {"shift_jis", "\x93\xfa\x96\x7b \x87\x40", "日本 ①", TextAttempt::Ansi, {}},
      // Latin-1 is neither valid UTF-8 nor valid code page 932: the ASCII attempt keeps the
      // readable part.
      {"latin-1", "caf\xe9 ok", "caf\xEF\xBF\xBD ok", TextAttempt::Ascii, {}},
      {"utf-16le mark", std::string("\xFF\xFEo\0k\0", 6), "ok", TextAttempt::Utf8,
       TextEncoding::Utf16LE},
      {"utf-16be mark", std::string("\xFE\xFF\0o\0k", 6), "ok", TextAttempt::Utf8,
       TextEncoding::Utf16BE},
      {"utf-8 mark and text", "\xEF\xBB\xBF日本", "日本", TextAttempt::Utf8, TextEncoding::Utf8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Both forms: the one over a view and the one that reuses the file's buffer.
    for (const auto& d :
         {DecodeForTextView(c.bytes), DecodeOwnedForTextView(std::string(c.bytes))}) {
      ASSERT_TRUE(d);
      EXPECT_EQ(d->text, c.text);
      EXPECT_EQ(d->attempt, c.attempt);
      EXPECT_EQ(d->bom, c.bom);
    }
  }
}

TEST(DecodeForTextView, MarkedFilesWithInvalidBytesFailEveryAttempt) {
  // The mark overrides every attempted encoding, so nothing else can rescue these.
  EXPECT_FALSE(DecodeForTextView("\xEF\xBB\xBF\x93\xfa"));  // bad UTF-8
  EXPECT_FALSE(
      DecodeForTextView(std::string("\xFF\xFE\x00\xD8"
                                    "a\0",
                                    6)));                           // lone surrogate
  EXPECT_FALSE(DecodeForTextView(std::string("\xFF\xFEo\0k", 5)));  // odd length
  EXPECT_FALSE(DecodeOwnedForTextView("\xEF\xBB\xBF\x93\xfa"));
}

// The AutoLISP highlighter: a tokenizer over one line at a time, in the shape of the editor's
// highlighter interface (SetLine, Next, GetEol, range carried between lines), plus a line
// function for adapters that only want the runs. No Qt: the QScintilla lexer is a thin adapter.
//
// Lines are UTF-8 without their line terminator. Positions and lengths are byte offsets; a
// character above 127 is scanned as one character (its whole UTF-8 sequence).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel::preview {

enum TtkTokenKind : uint8_t {
  tkComment1,
  tkComment,
  tkIdentifier,
  tkKey,
  tkNull,
  tkSpace,
  tkString,
  tkUnknown,
};

enum TRangeState : uint8_t {
  rsUnKnown,
  rsAutoLISPComment1,
  rsAutoLISPComment,
  rsString,
};

const char* TokenKindName(TtkTokenKind kind);  // "tkKey", ...

// A display attribute of a highlighter. Colours are 0x00BBGGRR; none set means the editor's own
// text and background colours apply.
struct TSynHighlighterAttributes {
  TSynHighlighterAttributes(std::string name, std::string friendlyName, bool bold = false)
      : Name(std::move(name)), FriendlyName(std::move(friendlyName)), Bold(bold) {}

  std::string Name;          // storage name, e.g. "ReservedWord"
  std::string FriendlyName;  // display name, e.g. "Reserved Word"
  bool Bold = false;
  bool Italic = false;
  std::optional<uint32_t> Foreground;
  std::optional<uint32_t> Background;
};

// Roles the editor asks GetDefaultAttribute for.
enum DefaultAttributeRole {
  SYN_ATTR_COMMENT = 0,
  SYN_ATTR_IDENTIFIER,
  SYN_ATTR_KEYWORD,
  SYN_ATTR_STRING,
  SYN_ATTR_WHITESPACE
};

// The scanning machine of the highlighter: one line at a time, the range carried between lines.
class LispLineScanner {
 public:
  LispLineScanner();

  // The editor's per-line protocol: SetLine scans the first token; GetEol turns true once the
  // line's terminator has been consumed as a tkNull token.
  void SetLine(std::string_view line);
  void Next();
  bool GetEol() const { return run_ == line_.size() + 1; }
  TtkTokenKind GetTokenID() const { return fTokenID; }
  TtkTokenKind GetTokenKind() const { return fTokenID; }
  size_t GetTokenPos() const { return tokenPos_; }
  size_t GetTokenLength() const { return run_ - tokenPos_; }
  // The token's text from the unchanged line (the terminator's tkNull token is empty).
  std::string_view GetToken() const;

  TRangeState GetRange() const { return fRange; }
  void SetRange(TRangeState value) { fRange = value; }
  void ResetRange() { fRange = rsUnKnown; }

  static bool IsIdentChar(char c);

 protected:
  TRangeState fRange = rsUnKnown;
  TtkTokenKind fTokenID = tkNull;

 private:
  char At(size_t pos) const { return pos < line_.size() ? line_[pos] : '\0'; }
  bool IsLineEnd(size_t pos) const;
  void Comment1Proc();
  void IdentProc();

  std::string_view line_;
  size_t run_ = 0;
  size_t tokenPos_ = 0;
};

// The highlighter: the scanner with its display attributes and descriptive constants.
class TSynSampleSyn : public LispLineScanner {
 public:
  TSynHighlighterAttributes* GetTokenAttribute();
  TSynHighlighterAttributes* GetDefaultAttribute(int index);
  // The attributes in the order they are registered: Comment1, Comment, Identifier,
  // ReservedWord, Space, String.
  std::vector<TSynHighlighterAttributes*> Attributes();

  static std::string GetKeyWords(int tokenKind = 0);
  static const char* GetLanguageName() { return "AutoLISP"; }
  static const char* GetFriendlyLanguageName() { return "AutoLISP"; }
  static const char* SampleSource() { return "Sample source for: \r\nSyntax Parser/Highlighter"; }
  static const char* DefaultFilter() { return "All files (*.*)|*.*"; }

  std::string DefaultFilterValue = DefaultFilter();
  bool IsFilterStored() const { return DefaultFilterValue != DefaultFilter(); }

  TSynHighlighterAttributes fComment1Attri{"Comment1", "Comment1"};
  TSynHighlighterAttributes fCommentAttri{"Comment", "Comment"};
  TSynHighlighterAttributes fIdentifierAttri{"Identifier", "Identifier"};
  TSynHighlighterAttributes fKeyAttri{"ReservedWord", "Reserved Word", true};
  TSynHighlighterAttributes fSpaceAttri{"Space", "Space"};
  TSynHighlighterAttributes fStringAttri{"String", "String"};
};

// The keyword tables: the 419 words as listed, and the slot table built from them.
namespace autolisp {

constexpr int kKeywordCount = 419;
constexpr int kSlotCount = 5051;

extern const char* const kKeywordText[kKeywordCount];  // as written, e.g. "Boole", "T"

const std::vector<std::string>& KeywordList();  // as written, e.g. "Boole", "T"
int KeywordSlot(int index);                     // slot of keyword `index` (0..5050)
int SlotEntry(int slot);                        // keyword index held by `slot`, or -1
// Hash slot of a word (any case): h := h * 613 + c * 481 over the lower-cased characters,
// modulo 2^32, then modulo 5051.
int HashSlot(std::string_view word);
// The keyword index of a whole word (any case), or -1.
int FindKeyword(std::string_view word);

}  // namespace autolisp

// Highlights one line: reports each token as a run (byte start, byte length, kind) in order,
// the terminator's tkNull excepted, and returns the range the next line starts with.
using LispRunSink = std::function<void(size_t start, size_t length, TtkTokenKind kind)>;
TRangeState HighlightLispLine(std::string_view line, TRangeState range, const LispRunSink& run);

}  // namespace kestrel::preview

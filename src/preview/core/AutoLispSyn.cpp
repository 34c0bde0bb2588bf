#include "preview/core/AutoLispSyn.h"

#include <algorithm>
#include <array>

namespace kestrel::preview {

namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

// Keywords may contain "-", "*" and ">" (vl-load-com, *error*, vl-list->string), so a word
// runs on over them and is matched whole.
bool IsWordChar(char c) {
  return LispLineScanner::IsIdentChar(c) || c == '-' || c == '*' || c == '>';
}

bool IsWordStart(char c, char next) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') return true;
  // "*error*" is a word, the multiplication in "(* 2 3)" is not.
  return c == '*' && ((next >= 'A' && next <= 'Z') || (next >= 'a' && next <= 'z') || next == '_');
}

uint32_t HashStep(uint32_t h, char c) {
  return h * 613u + uint32_t(static_cast<unsigned char>(Lower(c))) * 481u;
}

struct Tables {
  std::vector<std::string> list;
  std::vector<std::string> lower;
  std::array<int, autolisp::kSlotCount> slots;
  std::array<int, autolisp::kKeywordCount> slotOf;

  Tables() {
    slots.fill(-1);
    for (int i = 0; i < autolisp::kKeywordCount; ++i) {
      list.emplace_back(autolisp::kKeywordText[i]);
      std::string low(autolisp::kKeywordText[i]);
      std::transform(low.begin(), low.end(), low.begin(), Lower);
      lower.push_back(low);
      slotOf[i] = autolisp::HashSlot(low);
      slots[slotOf[i]] = i;  // the list has no two words on one slot (checked by the tests)
    }
  }
};

const Tables& KeywordTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

namespace autolisp {

const std::vector<std::string>& KeywordList() {
  return KeywordTables().list;
}
int KeywordSlot(int index) {
  return KeywordTables().slotOf.at(index);
}
int SlotEntry(int slot) {
  return (slot >= 0 && slot < kSlotCount) ? KeywordTables().slots[slot] : -1;
}

int HashSlot(std::string_view word) {
  uint32_t h = 0;
  for (char c : word)
    h = HashStep(h, c);
  return int(h % uint32_t(kSlotCount));
}

int FindKeyword(std::string_view word) {
  const Tables& t = KeywordTables();
  const int index = t.slots[HashSlot(word)];
  if (index < 0) return -1;
  const std::string& key = t.lower[index];
  if (key.size() != word.size()) return -1;
  for (size_t i = 0; i < key.size(); ++i) {
    if (Lower(word[i]) != key[i]) return -1;
  }
  return index;
}

}  // namespace autolisp

const char* TokenKindName(TtkTokenKind kind) {
  static const char* const kNames[] = {"tkComment1", "tkComment", "tkIdentifier", "tkKey",
                                       "tkNull",     "tkSpace",   "tkString",     "tkUnknown"};
  return kind <= tkUnknown ? kNames[kind] : "?";
}

LispLineScanner::LispLineScanner() {
  KeywordTables();
}

bool LispLineScanner::IsIdentChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z');
}

std::string TSynSampleSyn::GetKeyWords(int) {
  std::string joined;
  for (const std::string& word : autolisp::KeywordList()) {
    if (!joined.empty()) joined += ',';
    joined += word;
  }
  return joined;
}

void LispLineScanner::SetLine(std::string_view line) {
  line_ = line;
  run_ = 0;
  Next();
}

bool LispLineScanner::IsLineEnd(size_t pos) const {
  return pos >= line_.size() || line_[pos] == '\n' || line_[pos] == '\r';
}

std::string_view LispLineScanner::GetToken() const {
  if (tokenPos_ >= line_.size()) return {};
  return line_.substr(tokenPos_, std::min(run_, line_.size()) - tokenPos_);
}

void LispLineScanner::Next() {
  tokenPos_ = run_;
  if (run_ > line_.size()) return;  // past the terminator: nothing left to scan
  const char c = At(run_);
  const bool lineBreak = c == '\0' || c == '\n' || c == '\r';
  if (fRange == rsAutoLISPComment1 && !lineBreak) {
    Comment1Proc();
    return;
  }
  const auto u = static_cast<unsigned char>(c);
  if (c == '\0') {
    fTokenID = tkNull;
    ++run_;
  } else if (c == '\n') {
    fTokenID = tkSpace;
    ++run_;
  } else if (c == '\r') {
    fTokenID = tkSpace;
    ++run_;
    if (At(run_) == '\n') ++run_;
  } else if (u <= 32) {
    fTokenID = tkSpace;
    ++run_;
    while (!IsLineEnd(run_) && static_cast<unsigned char>(line_[run_]) <= 32)
      ++run_;
  } else if (c == '"') {
    fTokenID = tkString;
    fRange = rsString;
    ++run_;
    while (!IsLineEnd(run_)) {
      if (line_[run_++] == '"') {
        fRange = rsUnKnown;
        break;
      }
    }
  } else if (c == ';' && At(run_ + 1) == '|') {
    // ";|" opens a block comment that may run over several lines up to "|;".
    fRange = rsAutoLISPComment1;
    run_ += 2;
    Comment1Proc();
  } else if (c == ';') {
    fTokenID = tkComment;
    fRange = rsAutoLISPComment;
    while (!IsLineEnd(run_))
      ++run_;
  } else if (IsWordStart(c, At(run_ + 1))) {
    IdentProc();
  } else {
    fTokenID = tkUnknown;
    ++run_;
    // A character above 127 is one UTF-8 sequence, not one token per byte.
    if (u >= 0xC0) {
      for (int i = 0; i < 3 && run_ < line_.size() && (line_[run_] & 0xC0) == 0x80; ++i)
        ++run_;
    }
  }
}

void LispLineScanner::Comment1Proc() {
  fTokenID = tkComment1;
  while (!IsLineEnd(run_)) {
    if (line_[run_] == '|' && At(run_ + 1) == ';') {
      run_ += 2;
      fRange = rsUnKnown;
      return;
    }
    ++run_;
  }
}

void LispLineScanner::IdentProc() {
  const size_t start = run_;
  ++run_;
  while (run_ < line_.size() && IsWordChar(line_[run_]))
    ++run_;
  fTokenID = autolisp::FindKeyword(line_.substr(start, run_ - start)) >= 0 ? tkKey : tkIdentifier;
}

TSynHighlighterAttributes* TSynSampleSyn::GetTokenAttribute() {
  switch (fTokenID) {
    case tkComment1:
      return &fComment1Attri;
    case tkComment:
      return &fCommentAttri;
    case tkIdentifier:
    case tkUnknown:
      return &fIdentifierAttri;
    case tkKey:
      return &fKeyAttri;
    case tkSpace:
      return &fSpaceAttri;
    case tkString:
      return &fStringAttri;
    case tkNull:
      break;
  }
  return nullptr;
}

TSynHighlighterAttributes* TSynSampleSyn::GetDefaultAttribute(int index) {
  switch (index) {
    case SYN_ATTR_IDENTIFIER:
      return &fIdentifierAttri;
    case SYN_ATTR_KEYWORD:
      return &fKeyAttri;
    case SYN_ATTR_STRING:
      return &fStringAttri;
    case SYN_ATTR_WHITESPACE:
      return &fSpaceAttri;
    default:
      return nullptr;
  }
}

std::vector<TSynHighlighterAttributes*> TSynSampleSyn::Attributes() {
  return {&fComment1Attri, &fCommentAttri, &fIdentifierAttri,
          &fKeyAttri,      &fSpaceAttri,   &fStringAttri};
}

TRangeState HighlightLispLine(std::string_view line, TRangeState range, const LispRunSink& run) {
  LispLineScanner syn;
  syn.SetRange(range);
  syn.SetLine(line);
  while (!syn.GetEol()) {
    if (run) run(syn.GetTokenPos(), syn.GetTokenLength(), syn.GetTokenID());
    syn.Next();
  }
  return syn.GetRange();
}

}  // namespace kestrel::preview

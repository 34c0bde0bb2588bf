#include "preview/core/AutoLispSyn.h"

#include <algorithm>
#include <array>

namespace kestrel::preview {

namespace {

// The keyword list in its fixed order; GetKeyWords joins it as it stands.
const char* const kKeywords[autolisp::kKeywordCount] = {
    "*error*",
    "abs",
    "acad_colordlg",
    "acad_helpdlg",
    "acad_strlsort",
    "acad_truecolorcli",
    "acad_truecolordlg",
    "acad-pop-dbmod",
    "acad-push-dbmod",
    "acdimenableupdate",
    "acet-layerp-mark",
    "acet-layerp-mode",
    "acet-laytrans",
    "acet-ms-to-ps",
    "acet-ps-to-ms",
    "action_tile",
    "add_list",
    "alert",
    "alloc",
    "and",
    "angle",
    "angtof",
    "angtos",
    "append",
    "apply",
    "arx",
    "arxload",
    "arxunload",
    "ascii",
    "assoc",
    "atan",
    "atof",
    "atoi",
    "atom",
    "atoms-family",
    "autoarxload",
    "autoload",
    "Boole",
    "boundp",
    "caddr",
    "cadr",
    "car",
    "cdr",
    "chr",
    "client_data_tile",
    "close",
    "command",
    "cond",
    "cons",
    "cos",
    "cvunit",
    "defun",
    "defun-q",
    "defun-q-list-ref",
    "defun-q-list-set",
    "dictadd",
    "dictnext",
    "dictremove",
    "dictrename",
    "dictsearch",
    "dimx_tile",
    "dimy_tile",
    "distance",
    "distof",
    "done_dialog",
    "end_image",
    "end_list",
    "entdel",
    "entget",
    "entlast",
    "entmake",
    "entmakex",
    "entmod",
    "entnext",
    "entsel",
    "entupd",
    "eq",
    "equal",
    "eval",
    "exit",
    "exp",
    "expand",
    "expt",
    "fill_image",
    "findfile",
    "fix",
    "float",
    "foreach",
    "function",
    "gc",
    "gcd",
    "get_attr",
    "get_tile",
    "getangle",
    "getcfg",
    "getcname",
    "getcorner",
    "getdist",
    "getenv",
    "getfiled",
    "getint",
    "getkword",
    "getorient",
    "getpoint",
    "getreal",
    "getstring",
    "getvar",
    "graphscr",
    "grclear",
    "grdraw",
    "grread",
    "grtext",
    "grvecs",
    "handent",
    "help",
    "if",
    "initcommandversion",
    "initdia",
    "initget",
    "inters",
    "itoa",
    "lambda",
    "last",
    "layerstate-addlayers",
    "layerstate-compare",
    "layerstate-delete",
    "layerstate-export",
    "layerstate-getlastrestored",
    "layerstate-getlayers",
    "layerstate-getnames",
    "layerstate-has",
    "layerstate-import",
    "layerstate-importfromdb",
    "layerstate-removelayers",
    "layerstate-rename",
    "layerstate-restore",
    "layerstate-save",
    "layoutlist",
    "length",
    "list",
    "listp",
    "load",
    "load_dialog",
    "log",
    "logand",
    "logior",
    "lsh",
    "mapcar",
    "max",
    "mem",
    "member",
    "memubar",
    "menucmd",
    "menugroup",
    "min",
    "minusp",
    "mode_tile",
    "namedobjdict",
    "nentsel",
    "nentselp",
    "new_dialog",
    "nil",
    "not",
    "nth",
    "null",
    "numberp",
    "open",
    "or",
    "osnap",
    "polar",
    "prin1",
    "princ",
    "print",
    "progn",
    "prompt",
    "quit",
    "quote",
    "read",
    "read-char",
    "read-line",
    "redraw",
    "regapp",
    "rem",
    "repeat",
    "reverse",
    "rtos",
    "set",
    "set_tile",
    "setcfg",
    "setenv",
    "setfunhelp",
    "setq",
    "setvar",
    "setview",
    "sin",
    "slide_image",
    "snvalid",
    "sqrt",
    "ssadd",
    "ssdel",
    "ssget",
    "ssgetfirst",
    "sslength",
    "ssmemb",
    "ssname",
    "ssnamex",
    "sssetfirst",
    "start_dialog",
    "start_image",
    "start_list",
    "startapp",
    "strcase",
    "strcat",
    "strlen",
    "subst",
    "substr",
    "T",
    "tablet",
    "tblnext",
    "tblobjname",
    "tblsearch",
    "term_dialog",
    "terpri",
    "textbox",
    "textpage",
    "textscr",
    "trace",
    "trans",
    "type",
    "unload_dialog",
    "untrace",
    "vector_image",
    "ver",
    "vl-acad-defun",
    "vl-acad-undefun",
    "vl-arx-import",
    "vlax-3D-point",
    "vlax-add-cmd",
    "vlax-create-object",
    "vlax-curve-getArea",
    "vlax-curve-getClosestPointTo",
    "vlax-curve-getClosestPointToProjection",
    "vlax-curve-getDistAtParam",
    "vlax-curve-getDistAtPoint",
    "vlax-curve-getEndParam",
    "vlax-curve-getEndPoint",
    "vlax-curve-getFirstDeriv",
    "vlax-curve-getParamAtDist",
    "vlax-curve-getParamAtPoint",
    "vlax-curve-getPointAtDist",
    "vlax-curve-getPointAtParam",
    "vlax-curve-getSecondDeriv",
    "vlax-curve-getStartParam",
    "vlax-curve-getStartPoint",
    "vlax-curve-isClosed",
    "vlax-curve-isPeriodic",
    "vlax-curve-isPlanar",
    "vlax-dump-object",
    "vlax-ename->vla-object",
    "vlax-erased-p",
    "vlax-for",
    "vlax-get-acad-object",
    "vlax-get-object",
    "vlax-get-or-create-object",
    "vlax-get-property",
    "vlax-import-type-library",
    "vlax-invoke-method",
    "vlax-ldata-delete",
    "vlax-ldata-get",
    "vlax-ldata-list",
    "vlax-ldata-put",
    "vlax-ldata-test",
    "vlax-make-safearray",
    "vlax-make-variant",
    "vlax-map-collection",
    "vlax-method-applicable-p",
    "vlax-object-released-p",
    "vlax-product-key",
    "vlax-property-available-p",
    "vlax-put-property",
    "vlax-read-enabled-p",
    "vlax-release-object",
    "vlax-remove-cmd",
    "vlax-safearray->list",
    "vlax-safearray-fill",
    "vlax-safearray-get-dim",
    "vlax-safearray-get-element",
    "vlax-safearray-get-l-bound",
    "vlax-safearray-get-u-bound",
    "vlax-safearray-put-element",
    "vlax-safearray-type",
    "vlax-tmatrix",
    "vlax-typeinfo-available-p",
    "vlax-variant-change-type",
    "vlax-variant-type",
    "vlax-variant-value",
    "vlax-vla-object->ename",
    "vlax-write-enabled-p",
    "vl-bb-ref",
    "vl-bb-set",
    "vl-catch-all-apply",
    "vl-catch-all-error-message",
    "vl-catch-all-error-p",
    "vl-cmdf",
    "vl-consp",
    "vl-directory-files",
    "vl-doc-export",
    "vl-doc-import",
    "vl-doc-ref",
    "vl-doc-set",
    "vl-every",
    "vl-exit-with-error",
    "vl-exit-with-value",
    "vl-file-copy",
    "vl-file-delete",
    "vl-file-directory-p",
    "vl-filename-base",
    "vl-filename-directory",
    "vl-filename-extension",
    "vl-filename-mktemp",
    "vl-file-rename",
    "vl-file-size",
    "vl-file-systime",
    "vl-get-resource",
    "vlisp-compile",
    "vl-list*",
    "vl-list->string",
    "vl-list-exported-functions",
    "vl-list-length",
    "vl-list-loaded-vlx",
    "vl-load-all",
    "vl-load-com",
    "vl-load-reactors",
    "vl-member-if",
    "vl-member-if-not",
    "vl-mkdir",
    "vl-position",
    "vl-prin1-to-string",
    "vl-princ-to-string",
    "vl-propagate",
    "vlr-acdb-reactor",
    "vlr-add",
    "vlr-added-p",
    "vlr-beep-reaction",
    "vlr-command-reactor",
    "vlr-current-reaction-name",
    "vlr-data",
    "vlr-data-set",
    "vlr-deepclone-reactor",
    "vlr-docmanager-reactor",
    "vlr-dwg-reactor",
    "vlr-dxf-reactor",
    "vlr-editor-reactor",
    "vl-registry-delete",
    "vl-registry-descendents",
    "vl-registry-read",
    "vl-registry-write",
    "vl-remove",
    "vl-remove-if",
    "vl-remove-if-not",
    "vlr-insert-reactor",
    "vlr-linker-reactor",
    "vlr-lisp-reactor",
    "vlr-miscellaneous-reactor",
    "vlr-mouse-reactor",
    "vlr-notification",
    "vlr-object-reactor",
    "vlr-owner-add",
    "vlr-owner-remove",
    "vlr-owners",
    "vlr-pers",
    "vlr-pers-list",
    "vlr-pers-p",
    "vlr-pers-release",
    "vlr-reaction-name",
    "vlr-reaction-names",
    "vlr-reactions",
    "vlr-reaction-set",
    "vlr-reactors",
    "vlr-remove",
    "vlr-remove-all",
    "vlr-set-notification",
    "vlr-sysvar-reactor",
    "vlr-toolbar-reactor",
    "vlr-trace-reaction",
    "vlr-type",
    "vlr-types",
    "vlr-undo-reactor",
    "vlr-wblock-reactor",
    "vlr-window-reactor",
    "vlr-xref-reactor",
    "vl-some",
    "vl-sort",
    "vl-sort-i",
    "vl-string->list",
    "vl-string-elt",
    "vl-string-left-trim",
    "vl-string-mismatch",
    "vl-string-position",
    "vl-string-right-trim",
    "vl-string-search",
    "vl-string-subst",
    "vl-string-translate",
    "vl-string-trim",
    "vl-symbol-name",
    "vl-symbolp",
    "vl-symbol-value",
    "vl-unload-vlx",
    "vl-vbaload",
    "vl-vbarun",
    "vl-vlx-loaded-p",
    "vports",
    "wcmatch",
    "while",
    "write-char",
    "write-line",
    "xdroom",
    "xdsize",
    "zerop",
};

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
      list.emplace_back(kKeywords[i]);
      std::string low(kKeywords[i]);
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

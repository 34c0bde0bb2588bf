#include "preview/VisualBasicLexer.h"

namespace kestrel::preview {

const char* VisualBasicLexer::keywords(int set) const {
  // The lexer compares lower-cased words.
  if (set == 1) {
    return "addhandler addressof alias and andalso as boolean byref byte byval call case catch "
           "cbool cbyte cchar cdate cdbl cdec char cint class clng cobj const continue csbyte "
           "cshort csng cstr ctype cuint culng cushort date decimal declare default delegate "
           "dim directcast do double each else elseif end endif enum erase error event exit "
           "false finally for friend function get gettype global gosub goto handles if "
           "implements imports in inherits integer interface is isnot let lib like long loop "
           "me mod module mustinherit mustoverride mybase myclass namespace narrowing new next "
           "not nothing notinheritable notoverridable object of on operator option optional or "
           "orelse overloads overridable overrides paramarray partial private property "
           "protected public raiseevent readonly redim rem removehandler resume return sbyte "
           "select set shadows shared short single static step stop string structure sub "
           "synclock then throw to true try trycast typeof uinteger ulong ushort using variant "
           "wend when while widening with withevents writeonly xor";
  }
  return nullptr;
}

QString VisualBasicLexer::description(int style) const {
  static const char* const kNames[] = {
      "Default",      "Comment",   "Number",     "Keyword",       "String",
      "Preprocessor", "Operator",  "Identifier", "Date",          "Unclosed string",
      "Keyword 2",    "Keyword 3", "Keyword 4",  "Constant",      "Assembler",
      "Label",        "Error",     "Hex number", "Binary number", "Block comment",
      "Doc line",     "Doc block", "Doc keyword"};
  if (style >= 0 && style <= DocKeyword) return QString::fromLatin1(kNames[style]);
  return {};
}

}  // namespace kestrel::preview

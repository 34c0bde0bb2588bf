#include <cstdio>
#include <string>
#include <string_view>

#include "preview/core/AutoLispSyn.h"
#include "preview/core/TextDecode.h"
#include "tool/Commands.h"

namespace kestrel::tool {

namespace {

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
}

}  // namespace

// Prints "LINE<TAB>KIND<TAB>TEXT" for every token of an AutoLISP file, the terminator's tkNull
// of each line included. The file is decoded as the text view loads it (a byte-order mark
// wins, else UTF-8 when valid, else code page 932) and split into lines at CR LF, LF or CR, as
// the editor does; the range is carried from line to line.
int RunLispTokens(const Args& args) {
  if (args.size() != 1) {
    std::fputs("usage: kestrel-tool lisp-tokens FILE\n", stderr);
    return 2;
  }
  const std::optional<std::string> bytes = preview::ReadWholeFile(args[0]);
  if (!bytes) {
    std::fprintf(stderr, "kestrel-tool: cannot read %s\n", args[0].c_str());
    return 1;
  }
  const std::optional<preview::TDecodedText> decoded = preview::DecodeForTextView(*bytes);
  if (!decoded) {
    std::fputs("kestrel-tool: !Encoding Error!\n", stderr);
    return 1;
  }
  const std::string_view text = decoded->text;

  preview::LispLineScanner scanner;
  std::string out;
  size_t lineStart = 0;
  for (int lineNo = 1;; ++lineNo) {
    size_t lineEnd = text.find_first_of("\r\n", lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    scanner.SetLine(text.substr(lineStart, lineEnd - lineStart));
    for (;; scanner.Next()) {
      out += std::to_string(lineNo);
      out += '\t';
      out += preview::TokenKindName(scanner.GetTokenID());
      out += '\t';
      AppendEscaped(out, scanner.GetToken());
      out += '\n';
      if (scanner.GetEol()) break;
    }
    if (out.size() > (1 << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
    if (lineEnd == text.size()) break;
    lineStart =
        lineEnd +
        ((text[lineEnd] == '\r' && lineEnd + 1 < text.size() && text[lineEnd + 1] == '\n') ? 2 : 1);
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

}  // namespace kestrel::tool

#include <cstdio>

#include "preview/core/FileHead.h"
#include "tool/Commands.h"

namespace kestrel::tool {

// Prints "binary" or "text", a TAB and the head text, as the preview classifies the file.
int RunSniff(const Args& args) {
  if (args.size() != 1) {
    std::fputs("usage: kestrel-tool sniff FILE\n", stderr);
    return 2;
  }
  const preview::THeadSniff s = preview::SniffFileHead(args[0]);
  std::printf("%s\t%s\n", s.binary ? "binary" : "text", s.head.c_str());
  return 0;
}

}  // namespace kestrel::tool

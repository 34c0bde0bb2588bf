#include <cstdio>

#include "cadlink/CadCommands.h"
#include "tool/Commands.h"

namespace kestrel::tool {

// Prints exactly what the CAD program would be sent for the file, the final CR included; for
// a file the command would pass over silently, nothing, with status 1.
int RunCadCommand(const Args& args) {
  if (args.size() != 2 || (args[0] != "insert" && args[0] != "lisp")) {
    std::fputs("usage: kestrel-tool cad-command insert|lisp PATH\n", stderr);
    return 2;
  }
  const std::optional<std::string> text = args[0] == "insert"
                                              ? cadlink::InsertCommandFor(args[1])
                                              : cadlink::LispLoadCommandFor(args[1]);
  if (!text) return 1;
  const std::string sent = *text + "\r";
  std::fwrite(sent.data(), 1, sent.size(), stdout);
  return 0;
}

}  // namespace kestrel::tool

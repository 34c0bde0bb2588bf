#include <cstdio>

#include "tool/Commands.h"

namespace kestrel::tool {

int RunRender(const Args&) {
  std::fputs("kestrel-tool: this command is not built yet\n", stderr);
  return 2;
}

}  // namespace kestrel::tool

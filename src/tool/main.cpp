// kestrel-tool: Kestrel's cores from the command line, for batch work, tests and benchmarks.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/HugePages.h"
#include "tool/Commands.h"

namespace {

struct Command {
  const char* name;
  const char* usage;
  int (*run)(const kestrel::tool::Args&);
};

constexpr Command kCommands[] = {
    {"scan", "scan FOLDER MASK [--words TEXT] [--or] [--date-order]", kestrel::tool::RunScan},
    {"dxf-dump", "dxf-dump FILE [--stage read|final] [--encoding auto|ansi|utf8]",
     kestrel::tool::RunDxfDump},
    {"render", "render FILE OUT.png [--size WxH]", kestrel::tool::RunRender},
    {"lisp-tokens", "lisp-tokens FILE", kestrel::tool::RunLispTokens},
    {"sniff", "sniff FILE", kestrel::tool::RunSniff},
    {"extract", "extract FILE [--pdf-engine]", kestrel::tool::RunExtract},
    {"cad-command", "cad-command insert|lisp PATH", kestrel::tool::RunCadCommand},
    {"target-dialog", "target-dialog TABLE --target PROGID", kestrel::tool::RunTargetDialog},
    {"dwg-preview", "dwg-preview FILE [--size WxH] [--png OUT.png]", kestrel::tool::RunDwgPreview},
    {"pdf-view", "pdf-view FILE [--size WxH] (commands on standard input)",
     kestrel::tool::RunPdfView},
    {"view", "view FILE [--size WxH]  (events on standard input)", kestrel::tool::RunView},
};

int Usage() {
  std::fputs("usage: kestrel-tool COMMAND ARGS...\n", stderr);
  for (const Command& c : kCommands)
    std::fprintf(stderr, "  kestrel-tool %s\n", c.usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  kestrel::RestartWithHugePageMalloc(argv);
  if (argc < 2) return Usage();
  for (const Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) == 0) return c.run(kestrel::tool::Args(argv + 2, argv + argc));
  }
  return Usage();
}

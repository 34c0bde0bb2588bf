#include <QCoreApplication>
#include <cstdio>
#include <stdexcept>

#include "extract/ExtractCommand.h"
#include "tool/Commands.h"

namespace kestrel::tool {
namespace {

// The text view as standard output: one view line per output line.
class PrintTarget : public extract::ExtractTarget {
 public:
  void Clear() override {}
  void BeginUpdate() override {}
  void AddLines(const std::vector<std::string_view>& lines) override {
    for (std::string_view line : lines) {
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fputc('\n', stdout);
    }
  }
  void EndUpdate() override {}
  void SetProgress(int, int) override {}
  void Pump() override {}
  void Message(const kestrel::Message& m) override {
    std::fprintf(stderr, "%s\n", m.text.c_str());
    failed = true;
  }
  bool failed = false;
};

}  // namespace

// Prints the text that "抽出" adds to the text view; a message the command would show goes to
// standard error with exit status 1.
int RunExtract(const Args& args) {
  extract::ExtractRequest request;
  bool havePath = false;
  for (const std::string& a : args) {
    if (a == "--pdf-engine") {
      request.usePdfEngine = true;
    } else if (!havePath) {
      request.path = a;
      havePath = true;
    } else {
      havePath = false;
      break;
    }
  }
  if (!havePath) {
    std::fputs("usage: kestrel-tool extract FILE [--pdf-engine]\n", stderr);
    return 2;
  }
  int argc = 1;
  char name[] = "kestrel-tool";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);  // Qt PDF and the converters' processes need one
  PrintTarget target;
  try {
    extract::RunExtractCommand(request, target);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  std::fflush(stdout);
  return target.failed ? 1 : 0;
}

}  // namespace kestrel::tool

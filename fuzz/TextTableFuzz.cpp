// The folder list and the CAD target table over any bytes: read, looked up, and written back
// in the encoding they were read in, which reads back as the same lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "app/core/Settings.h"

using namespace kestrel;
using namespace kestrel::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TextTable table = ParseTextTable(bytes);
  for (const std::string& line : table.lines)
    Check(IsValidUtf8(line));
  FindTargetDisplayName(table.lines, kDefaultProgId);
  if (!table.lines.empty()) {
    const std::string& first = table.lines.front();
    const size_t tab = first.find('\t');
    if (tab != std::string::npos) {
      const std::optional<std::string> name =
          FindTargetDisplayName(table.lines, first.substr(tab + 1));
      Check(name && name->size() <= tab);
    }
  }

  // As the folder list is written at shut-down: the lines as read, and one added.
  std::vector<std::string> lines = table.lines;
  for (int round = 0; round < 2; ++round) {
    const std::string written = TextTableBytes(lines, table);
    Check(ParseTextTable(written).lines == lines);
    lines.push_back("D:\\図面\\ﾃｽﾄ");
  }
  return 0;
}

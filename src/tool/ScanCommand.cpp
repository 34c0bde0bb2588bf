// kestrel-tool scan FOLDER MASK [--words TEXT] [--or] [--date-order]: builds the file list and
// runs the word search as the window does; prints the result lines on standard output, and the
// build's status text and then the search's final one on standard error.
#include <cstdio>
#include <string>

#include "catalogue/FilterFileList.h"
#include "catalogue/ScanFolder.h"
#include "catalogue/StatusTexts.h"
#include "tool/Commands.h"

namespace kestrel::tool {

int RunScan(const Args& args) {
  using namespace kestrel::catalogue;
  std::string folder, mask, words;
  bool orMode = false, dateOrder = false;
  int positional = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--or") {
      orMode = true;
    } else if (a == "--date-order") {
      dateOrder = true;
    } else if (a == "--words" && i + 1 < args.size()) {
      words = args[++i];
    } else if (positional == 0) {
      folder = a, ++positional;
    } else if (positional == 1) {
      mask = a, ++positional;
    } else {
      positional = 99;
    }
  }
  if (positional != 2) {
    std::fputs("usage: kestrel-tool scan FOLDER MASK [--words TEXT] [--or] [--date-order]\n",
               stderr);
    return 2;
  }

  FileList list;
  size_t found = 0, skipped = 0;
  ScanFolder(
      FolderWithSeparator(folder), mask, list, found, [](size_t) { return true; }, &skipped);
  list.SortAndRemoveDuplicates();
  // The build's status, as the window shows it before the search replaces it.
  std::fprintf(stderr, "%s\n", BuildFinishedStatus(found, skipped).c_str());
  if (list.empty()) {
    // The window shows this in a message box and leaves the status at the build's count.
    std::fprintf(stderr, "%s\n", kNoFileListMessage);
    return 0;
  }

  std::vector<uint32_t> hits;
  FilterFileList(list, MakeSearchQuery(words, orMode), hits, [](size_t) { return true; });
  if (dateOrder) SortHitsByDate(list, hits);
  std::string out;
  for (uint32_t i : hits) {
    out += ResultLine(list, i);
    out += '\n';
    if (out.size() > (1 << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fprintf(stderr, "%s\n", SearchStatus(hits.size(), list.size(), true).c_str());
  return 0;
}

}  // namespace kestrel::tool

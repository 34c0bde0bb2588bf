// kestrel-tool scan FOLDER MASK [--words TEXT] [--or] [--date-order]: builds the file list and
// runs the word search as the window does; prints the result lines on standard output and the
// search's final status text on standard error (the build's, when nothing was found). Each line is
// shown as the window's list shows it, so that every result stays on one line: control characters
// as the Control Pictures symbols (U+2400 + code, U+2421 for DEL), bytes that are not valid UTF-8
// as U+FFFD.
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
  if (list.empty()) {
    // The window shows this in a message box and leaves the status at the build's count.
    std::fprintf(stderr, "%s\n%s\n", BuildFinishedStatus(found, skipped).c_str(),
                 kNoFileListMessage);
    return 0;
  }

  std::vector<uint32_t> hits;
  FilterFileList(list, MakeSearchQuery(words, orMode), hits, [](size_t) { return true; });
  if (dateOrder) SortHitsByDate(list, hits);
  std::string out;
  for (uint32_t i : hits) {
    AppendDisplayText(out, ResultLine(list, i));
    out += '\n';
    if (out.size() > (1 << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fprintf(stderr, "%s%s\n", SearchStatus(hits.size(), list.size(), true).c_str(),
               SkippedFoldersNote(skipped).c_str());
  return 0;
}

}  // namespace kestrel::tool

#include "catalogue/StatusTexts.h"

#include "catalogue/DosDateTime.h"

namespace kestrel::catalogue {

std::string BuildFinishedStatus(size_t found, size_t skippedFolders) {
  std::string s = " " + std::to_string(found) + " ファイルリストを作成しました.";
  if (skippedFolders > 0) s += " (開けないフォルダ " + std::to_string(skippedFolders) + ")";
  return s;
}

std::string CountStatus(size_t count) {
  return " " + std::to_string(count);
}

std::string SearchStatus(size_t hits, size_t total, bool finished) {
  std::string s = " " + std::to_string(hits) + " / " + std::to_string(total);
  if (finished) s += " 検索を終了しました.";
  return s;
}

std::string ResultLine(const FileList& list, size_t i) {
  std::string line = FormatResultDate(list.DateTime(i));
  line.append(list.Path(i));
  return line;
}

std::string_view PathOfResultLine(std::string_view line) {
  size_t at = line.find("] ");
  return at == std::string_view::npos ? line : line.substr(at + 2);
}

}  // namespace kestrel::catalogue

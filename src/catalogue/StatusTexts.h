// The texts the list build and the search show in the status bar and message box.
#pragma once

#include <cstddef>
#include <string>

#include "catalogue/FileList.h"

namespace kestrel::catalogue {

inline constexpr const char* kBuildingStatus = " ファイルリストを作成中 ...";
inline constexpr const char* kCancelledStatus = " ファイルリストの作成を中止しました.";
inline constexpr const char* kSearchingStatus = " 検索中 ...";
inline constexpr const char* kNoFileListMessage = "ファイルリストがありません．";

// " 1234 ファイルリストを作成しました."; when folders could not be opened, their count
// follows: " 1234 ファイルリストを作成しました. (開けないフォルダ 3)".
std::string BuildFinishedStatus(size_t found, size_t skippedFolders = 0);
// " 200": progress of a build, shown every 100 entries.
std::string CountStatus(size_t count);
// " 57 / 1234": progress of a search; with `finished`, " 検索を終了しました." follows.
std::string SearchStatus(size_t hits, size_t total, bool finished);

// "[yy/mm/dd] " + the full path of entry `i`.
std::string ResultLine(const FileList& list, size_t i);

// The path of a result line: everything after the first "] " (a path containing "] " itself
// is cut at the date's); the line itself when it has none.
std::string_view PathOfResultLine(std::string_view line);

}  // namespace kestrel::catalogue

// The texts the list build and the search show in the status bar and message box.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "catalogue/FileList.h"

namespace kestrel::catalogue {

inline constexpr const char* kBuildingStatus = " ファイルリストを作成中 ...";
inline constexpr const char* kCancelledStatus = " ファイルリストの作成を中止しました.";
inline constexpr const char* kSearchingStatus = " 検索中 ...";
inline constexpr const char* kNoFileListMessage = "ファイルリストがありません．";

// " 1234 ファイルリストを作成しました."; when folders could not be opened, their count
// follows: " 1234 ファイルリストを作成しました. (開けないフォルダ 3)".
std::string BuildFinishedStatus(size_t found, size_t skippedFolders = 0);
// " (開けないフォルダ 3)" for a list built without some folders, empty when none was left out.
// The search's final status carries it too, since the search text replaces the build's at once.
std::string SkippedFoldersNote(size_t skippedFolders);
// " 200": progress of a build, shown every 100 entries.
std::string CountStatus(size_t count);
// " 57 / 1234": progress of a search; with `finished`, " 検索を終了しました." follows.
std::string SearchStatus(size_t hits, size_t total, bool finished);

// "[yy/mm/dd] " + the full path of entry `i`.
std::string ResultLine(const FileList& list, size_t i);

// A path or result line as shown, in UTF-8: control characters (0x00-0x1F, 0x7F) as their
// Control Pictures symbols (U+2400 + code, U+2421 for DEL), so that a name holding a line
// break stays on one line, and each byte that is not part of valid UTF-8 as U+FFFD. Only for
// showing: the bytes themselves are what names the file.
std::string DisplayText(std::string_view bytes);
void AppendDisplayText(std::string& out, std::string_view bytes);

// The path of a result line: everything after the first "] " (a path containing "] " itself
// is cut at the date's); the line itself when it has none.
std::string_view PathOfResultLine(std::string_view line);

}  // namespace kestrel::catalogue

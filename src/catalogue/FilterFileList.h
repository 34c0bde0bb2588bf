// The word search over the file list: space-separated words, all (AND) or any (OR), words
// beginning with "!" exclude; only entries with an extension are listed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/FileList.h"

namespace kestrel::catalogue {

struct SearchQuery {
  bool emptyText = true;           // the search text, untrimmed, is empty: everything matches
  bool orMode = false;             // the " OR" box
  std::vector<std::string> words;  // trimmed, ASCII upper-cased, split at every U+0020
};

SearchQuery MakeSearchQuery(std::string_view text, bool orMode);

// Whether an entry matches, given its path already upper-cased (ASCII letters only).
bool MatchesQuery(const SearchQuery& query, std::string_view upperPath);

// True when the last path component has a "." followed by at least one character.
bool HasExtension(std::string_view path);

// Asked after every entry with the number of hits so far; answers whether to go on.
using FilterCallback = std::function<bool(size_t hits)>;

// Appends to `hits` the index of every entry of `list` that matches and has an extension, in
// list order. Returns false when the callback stopped the loop. The callback may not change
// `list`; a caller whose callback lets events run must stop the loop when the list changes
// (FileList::Generation).
bool FilterFileList(const FileList& list, const SearchQuery& query, std::vector<uint32_t>& hits,
                    const FilterCallback& afterEntry);

// Puts hits in the order of the date-ordered result list, whose lines begin "[yy/mm/dd] ":
// by the two-digit year (so 99 after 23), month and day, and by path within a day.
void SortHitsByDate(const FileList& list, std::vector<uint32_t>& hits);

}  // namespace kestrel::catalogue

#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "catalogue/FileList.h"

namespace kestrel::catalogue {

// The native path separator; a folder handed to ScanFolder always ends with it.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Asked after every entry added, with the number of entries found so far; answers whether the
// scan may go on. The window lets its queued events run here, which is how "中止" is seen.
using ScanCallback = std::function<bool(size_t foundCount)>;

// Walks `folder` and every folder below it, depth first, and appends folder + name of every
// entry whose name matches `mask` (files, folders, hidden files, links; "." and ".." too where
// the mask matches them) to `out`, with its last-write time. Hidden (dot) folders are not
// entered, symbolic links to folders are never followed. Neither the depth of the tree nor the
// length of its paths is bounded. A folder that exists but cannot be listed (no permission, out
// of descriptors, a failing disk) is skipped and counted in `skippedFolders`; one that is gone
// is not counted. Returns false when the callback stopped the scan; nothing is added after that.
bool ScanFolder(const std::string& folder, std::string_view mask, FileList& out, size_t& foundCount,
                const ScanCallback& afterEntry, size_t* skippedFolders = nullptr);

// The folder text of the window as the scan takes it: a separator appended when missing (an
// empty text gives the root).
std::string FolderWithSeparator(std::string_view folderText);

}  // namespace kestrel::catalogue

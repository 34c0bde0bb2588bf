#include "catalogue/ScanFolder.h"

#include <vector>

#include "catalogue/DosDateTime.h"
#include "catalogue/WildcardMatch.h"

#ifdef _WIN32
#include <filesystem>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace kestrel::catalogue {

std::string FolderWithSeparator(std::string_view folderText) {
  std::string folder(folderText);
  if (folder.empty() || folder.back() != kPathSeparator) folder.push_back(kPathSeparator);
  return folder;
}

#ifndef _WIN32

namespace {

class Dir {
 public:
  explicit Dir(const std::string& path) : dir_(opendir(path.c_str())) {}
  ~Dir() {
    if (dir_) closedir(dir_);
  }
  Dir(const Dir&) = delete;
  Dir& operator=(const Dir&) = delete;
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

}  // namespace

bool ScanFolder(const std::string& folder, std::string_view mask, FileList& out, size_t& foundCount,
                const ScanCallback& afterEntry) {
  Dir dir(folder);
  if (!dir.get()) return true;  // missing or unreadable: nothing found here
  const int fd = dirfd(dir.get());
  const bool isRoot = folder.size() == 1;  // a root has no "." and ".." entries on Windows
  std::vector<std::string> subfolders;
  std::string path = folder;

  while (dirent* e = readdir(dir.get())) {
    std::string_view name = e->d_name;
    const bool dotEntry = name == "." || name == "..";
    if (dotEntry && isRoot) continue;

    bool isDir = e->d_type == DT_DIR;
    struct stat st;
    bool haveStat = false;
    if (e->d_type == DT_UNKNOWN) {
      haveStat = fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
      isDir = haveStat && S_ISDIR(st.st_mode);
    }
    // Dot folders are hidden: never entered. Links are never followed (d_type is DT_LNK).
    if (isDir && name.front() != '.') subfolders.emplace_back(name);

    // Cheap name test before the costly stat.
    if (!MatchesMask(mask, name)) continue;
    if (!haveStat) haveStat = fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    path.resize(folder.size());
    path.append(name);
    out.Append(path, ToDosDateTime(haveStat ? st.st_mtime : 0));
    if (!afterEntry(++foundCount)) return false;
  }

  for (const std::string& sub : subfolders) {
    path.resize(folder.size());
    path.append(sub);
    path.push_back(kPathSeparator);
    if (!ScanFolder(path, mask, out, foundCount, afterEntry)) return false;
  }
  return true;
}

#else  // _WIN32

bool ScanFolder(const std::string& folder, std::string_view mask, FileList& out, size_t& foundCount,
                const ScanCallback& afterEntry) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(fs::path(std::u8string(folder.begin(), folder.end())), ec), end;
  if (ec) return true;
  std::vector<std::string> subfolders;
  for (; it != end; it.increment(ec)) {
    if (ec) break;
    const fs::directory_entry& entry = *it;
    const std::u8string u8name = entry.path().filename().u8string();
    std::string name(u8name.begin(), u8name.end());
    const bool isDir = entry.is_directory(ec) && !entry.is_symlink(ec);
    if (isDir && name.front() != '.') subfolders.push_back(name);
    if (!MatchesMask(mask, name)) continue;
    auto ftime = entry.last_write_time(ec);
    auto sys = std::chrono::clock_cast<std::chrono::system_clock>(ftime);
    out.Append(folder + name, ToDosDateTime(std::chrono::system_clock::to_time_t(sys)));
    if (!afterEntry(++foundCount)) return false;
  }
  for (const std::string& sub : subfolders) {
    if (!ScanFolder(folder + sub + kPathSeparator, mask, out, foundCount, afterEntry)) return false;
  }
  return true;
}

#endif

}  // namespace kestrel::catalogue

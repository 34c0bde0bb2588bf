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
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#endif

namespace kestrel::catalogue {

std::string FolderWithSeparator(std::string_view folderText) {
  std::string folder(folderText);
  if (folder.empty() || folder.back() != kPathSeparator) folder.push_back(kPathSeparator);
  return folder;
}

#ifndef _WIN32

namespace {

// Folders held open at once. A deeper walk closes those nearest the top and finds them again
// through ".." on the way back, so that neither the open-files limit nor PATH_MAX bounds the
// depth: every folder is opened relative to its parent.
constexpr size_t kHeldFolders = 16;

// An error that means the folder is no longer there to be listed, rather than one that hides
// files from the list.
bool IsGone(int error) {
  return error == ENOENT || error == ENOTDIR || error == ELOOP;
}

class Walk {
 public:
  Walk(std::string_view mask, FileList& out, size_t& found, size_t& skipped,
       const ScanCallback& afterEntry)
      : mask_(mask), out_(out), found_(found), skipped_(skipped), afterEntry_(afterEntry) {}
  ~Walk() {
    for (Frame& f : frames_)
      if (f.dir) closedir(f.dir);
  }
  Walk(const Walk&) = delete;
  Walk& operator=(const Walk&) = delete;

  bool Run(const std::string& folder);

 private:
  struct Frame {
    Frame(DIR* d, size_t length) : dir(d), pathLength(length) {}
    DIR* dir = nullptr;     // open while this or a deeper folder may need it
    size_t pathLength = 0;  // the folder's path, separator included, is path_'s start
    std::vector<std::string> subfolders;
    size_t next = 0;  // the subfolder to enter next
    // Taken when the folder is closed early, to make sure that ".." leads back to it.
    dev_t dev = 0;
    ino_t ino = 0;
  };

  bool ListEntries(Frame& frame, bool isRoot);
  DIR* OpenSubfolder(const std::string& name);
  DIR* Reopen(size_t index, DIR* child);
  void CloseLowestHeld();
  void Leave();

  std::string_view mask_;
  FileList& out_;
  size_t& found_;
  size_t& skipped_;
  const ScanCallback& afterEntry_;
  std::vector<Frame> frames_;
  size_t lowestHeld_ = 0;  // frames from here to the top have their folder open
  std::string path_;
};

// Adds the frame's matching entries and notes its subfolders, in the order the system returns
// them; false when the callback stopped the scan.
bool Walk::ListEntries(Frame& frame, bool isRoot) {
  const int fd = dirfd(frame.dir);
  for (;;) {
    errno = 0;
    dirent* e = readdir(frame.dir);
    if (!e) {
      if (errno != 0) ++skipped_;  // the listing broke off
      return true;
    }
    std::string_view name = e->d_name;
    const bool dotEntry = name == "." || name == "..";
    if (dotEntry && isRoot) continue;  // a root has no "." and ".." entries on Windows

    bool isDir = e->d_type == DT_DIR;
    struct stat st;
    bool haveStat = false;
    if (e->d_type == DT_UNKNOWN) {
      haveStat = fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
      isDir = haveStat && S_ISDIR(st.st_mode);
    }
    // Dot folders are hidden: never entered. Links are never followed (d_type is DT_LNK).
    if (isDir && name.front() != '.') frame.subfolders.emplace_back(name);

    // Cheap name test before the costly stat.
    if (!MatchesMask(mask_, name)) continue;
    if (!haveStat) haveStat = fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    path_.resize(frame.pathLength);
    path_.append(name);
    out_.Append(path_, ToDosDateTime(haveStat ? st.st_mtime : 0));
    if (!afterEntry_(++found_)) return false;
  }
}

void Walk::CloseLowestHeld() {
  Frame& f = frames_[lowestHeld_++];
  struct stat st;
  if (fstat(dirfd(f.dir), &st) == 0) {
    f.dev = st.st_dev;
    f.ino = st.st_ino;
  }
  closedir(f.dir);
  f.dir = nullptr;
}

// Opens a subfolder of the top frame, never through a link; null (counted unless it is gone)
// when it cannot be opened.
DIR* Walk::OpenSubfolder(const std::string& name) {
  const int parent = dirfd(frames_.back().dir);
  for (;;) {
    const int fd = openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
      if (DIR* dir = fdopendir(fd)) return dir;
      close(fd);
      ++skipped_;
      return nullptr;
    }
    // Out of descriptors: give up one of the folders higher up, which ".." finds again.
    if ((errno == EMFILE || errno == ENFILE) && lowestHeld_ + 1 < frames_.size()) {
      CloseLowestHeld();
      continue;
    }
    if (!IsGone(errno)) ++skipped_;
    return nullptr;
  }
}

// Opens frame `index` again after it was closed: through ".." of its open subfolder `child`
// when there is one, else down from the top folder by name. Null when the folder found is not
// the one left (it was moved or replaced meanwhile) or none can be opened.
DIR* Walk::Reopen(size_t index, DIR* child) {
  const Frame& f = frames_[index];
  auto same = [&f](int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && st.st_dev == f.dev && st.st_ino == f.ino;
  };
  auto adopt = [&same](int fd) -> DIR* {
    if (fd < 0) return nullptr;
    if (same(fd)) {
      if (DIR* dir = fdopendir(fd)) return dir;
    }
    close(fd);
    return nullptr;
  };
  if (child) {
    if (DIR* dir = adopt(openat(dirfd(child), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC)))
      return dir;
  }
  int fd = open(path_.substr(0, frames_[0].pathLength).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (size_t k = 1; k <= index && fd >= 0; ++k) {
    const Frame& up = frames_[k - 1];
    const int next = openat(fd, up.subfolders[up.next - 1].c_str(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    close(fd);
    fd = next;
  }
  return adopt(fd);
}

// Done with the top frame: back to its parent, which gets its folder back if it was closed.
void Walk::Leave() {
  Frame done = std::move(frames_.back());
  frames_.pop_back();
  lowestHeld_ = std::min(lowestHeld_, frames_.size());
  if (!frames_.empty() && !frames_.back().dir) {
    Frame& parent = frames_.back();
    parent.dir = Reopen(frames_.size() - 1, done.dir);
    if (parent.dir) {
      lowestHeld_ = frames_.size() - 1;
    } else if (parent.next < parent.subfolders.size()) {
      ++skipped_;  // its other subfolders cannot be reached any more
      parent.next = parent.subfolders.size();
    }
  }
  if (done.dir) closedir(done.dir);
}

bool Walk::Run(const std::string& folder) {
  // The top folder as typed: a link to a folder is followed here.
  DIR* top = opendir(folder.c_str());
  if (!top) {
    if (!IsGone(errno)) ++skipped_;
    return true;  // missing or unreadable: nothing found here
  }
  path_ = folder;
  frames_.emplace_back(top, folder.size());
  if (!ListEntries(frames_.back(), folder.size() == 1)) return false;

  // Depth first, without recursion: a tree may be deeper than the stack.
  while (!frames_.empty()) {
    Frame& f = frames_.back();
    if (f.next == f.subfolders.size() || !f.dir) {
      Leave();
      continue;
    }
    const std::string& name = f.subfolders[f.next++];
    DIR* dir = OpenSubfolder(name);
    if (!dir) continue;
    path_.resize(f.pathLength);
    path_.append(name);
    path_.push_back(kPathSeparator);
    frames_.emplace_back(dir, path_.size());
    if (frames_.size() - lowestHeld_ > kHeldFolders) CloseLowestHeld();
    if (!ListEntries(frames_.back(), false)) return false;
  }
  return true;
}

}  // namespace

bool ScanFolder(const std::string& folder, std::string_view mask, FileList& out, size_t& foundCount,
                const ScanCallback& afterEntry, size_t* skippedFolders) {
  size_t skipped = 0;
  Walk walk(mask, out, foundCount, skipped, afterEntry);
  const bool finished = walk.Run(folder);
  if (skippedFolders) *skippedFolders = skipped;
  return finished;
}

#else  // _WIN32

namespace {

// An error that means the folder is no longer there to be listed.
bool IsGone(const std::error_code& ec) {
  return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

struct Frame {
  std::string folder;  // with its separator
  std::vector<std::string> subfolders;
  size_t next = 0;
};

// Adds the folder's matching entries and notes its subfolders; false when the callback
// stopped the scan.
bool ListEntries(Frame& frame, std::string_view mask, FileList& out, size_t& foundCount,
                 size_t& skipped, const ScanCallback& afterEntry) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(fs::path(std::u8string(frame.folder.begin(), frame.folder.end())), ec),
      end;
  if (ec) {
    if (!IsGone(ec)) ++skipped;
    return true;
  }
  for (; it != end; it.increment(ec)) {
    if (ec) {
      ++skipped;  // the listing broke off
      break;
    }
    const fs::directory_entry& entry = *it;
    const std::u8string u8name = entry.path().filename().u8string();
    std::string name(u8name.begin(), u8name.end());
    const bool isDir = entry.is_directory(ec) && !entry.is_symlink(ec);
    if (isDir && name.front() != '.') frame.subfolders.push_back(name);
    if (!MatchesMask(mask, name)) continue;
    auto ftime = entry.last_write_time(ec);
    auto sys = std::chrono::clock_cast<std::chrono::system_clock>(ftime);
    out.Append(frame.folder + name, ToDosDateTime(std::chrono::system_clock::to_time_t(sys)));
    if (!afterEntry(++foundCount)) return false;
  }
  return true;
}

}  // namespace

bool ScanFolder(const std::string& folder, std::string_view mask, FileList& out, size_t& foundCount,
                const ScanCallback& afterEntry, size_t* skippedFolders) {
  size_t skipped = 0;
  bool finished = true;
  // Depth first, without recursion: a tree may be deeper than the stack.
  std::vector<Frame> frames;
  frames.push_back({folder});
  finished = ListEntries(frames.back(), mask, out, foundCount, skipped, afterEntry);
  while (finished && !frames.empty()) {
    Frame& f = frames.back();
    if (f.next == f.subfolders.size()) {
      frames.pop_back();
      continue;
    }
    Frame sub{f.folder + f.subfolders[f.next++] + kPathSeparator};
    frames.push_back(std::move(sub));
    finished = ListEntries(frames.back(), mask, out, foundCount, skipped, afterEntry);
  }
  if (skippedFolders) *skippedFolders = skipped;
  return finished;
}

#endif

}  // namespace kestrel::catalogue

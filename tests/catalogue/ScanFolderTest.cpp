#include "catalogue/ScanFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;
using namespace kestrel::catalogue;

namespace {

// A temporary tree declared as a list of paths; folders end with "/".
class Tree {
 public:
  explicit Tree(std::initializer_list<const char*> paths) {
    root_ = fs::temp_directory_path() /
            ("kestrel-scan-" + std::to_string(getpid()) + "-" + std::to_string(counter_++));
    fs::remove_all(root_);
    fs::create_directories(root_);
    for (std::string p : paths) {
      if (p.ends_with('/')) {
        fs::create_directories(root_ / p);
      } else {
        fs::create_directories((root_ / p).parent_path());
        std::ofstream(root_ / p) << "x";
      }
    }
  }
  ~Tree() {
    std::error_code ec;
    fs::permissions(root_ / "locked", fs::perms::owner_all, ec);
    fs::remove_all(root_, ec);
  }
  std::string Root() const { return root_.string() + "/"; }
  fs::path Path(const char* p) const { return root_ / p; }

 private:
  fs::path root_;
  static inline int counter_ = 0;
};

// A chain of `levels` folders below `root`, each made relative to its parent: the whole path
// is longer than the system takes at once. At every level listed in `sides`, a folder "side"
// beside the next level holds "side.dwg"; the bottom holds "deep.dwg".
class DeepChain {
 public:
  DeepChain(const fs::path& root, int levels, std::vector<int> sides = {})
      : root_(root), levels_(levels), sides_(std::move(sides)) {
    fs::create_directories(root_);
    int fd = open(root_.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < levels_ && fd >= 0; ++i) {
      if (IsSide(i)) {
        mkdirat(fd, "side", 0755);
        const int side = openat(fd, "side", O_RDONLY | O_DIRECTORY);
        close(openat(side, "side.dwg", O_WRONLY | O_CREAT, 0644));
        close(side);
      }
      mkdirat(fd, kName, 0755);
      const int next = openat(fd, kName, O_RDONLY | O_DIRECTORY);
      close(fd);
      fd = next;
    }
    close(openat(fd, "deep.dwg", O_WRONLY | O_CREAT, 0644));
    close(fd);
  }
  ~DeepChain() {
    // Down to the bottom and back up through "..", removing on the way.
    int fd = open(root_.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < levels_ && fd >= 0; ++i) {
      const int next = openat(fd, kName, O_RDONLY | O_DIRECTORY);
      close(fd);
      fd = next;
    }
    unlinkat(fd, "deep.dwg", 0);
    for (int i = levels_ - 1; i >= 0 && fd >= 0; --i) {
      const int up = openat(fd, "..", O_RDONLY | O_DIRECTORY);
      close(fd);
      fd = up;
      unlinkat(fd, kName, AT_REMOVEDIR);
      if (IsSide(i)) {
        const int side = openat(fd, "side", O_RDONLY | O_DIRECTORY);
        unlinkat(side, "side.dwg", 0);
        close(side);
        unlinkat(fd, "side", AT_REMOVEDIR);
      }
    }
    close(fd);
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  // The path of the file at the bottom, and of the side files, as the scan lists them.
  std::string Deepest() const { return Level(levels_) + "deep.dwg"; }
  std::vector<std::string> Sides() const {
    std::vector<std::string> out;
    for (int i : sides_)
      out.push_back(Level(i) + "side/side.dwg");
    return out;
  }

 private:
  static constexpr const char* kName = "level";
  bool IsSide(int i) const { return std::find(sides_.begin(), sides_.end(), i) != sides_.end(); }
  std::string Level(int i) const {
    std::string path = root_.string() + "/";
    for (int k = 0; k < i; ++k)
      path += std::string(kName) + "/";
    return path;
  }

  fs::path root_;
  int levels_;
  std::vector<int> sides_;
};

// Deep trees are made in memory where the system has a memory file system: on a disk each of
// thousands of folders costs milliseconds to remove.
fs::path DeepTreeRoot(const char* name) {
  std::error_code ec;
  const fs::path base =
      fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
  return base / (name + std::to_string(getpid()));
}

// Runs `body` on a thread with a small stack, where a walk that recurses once per level of a
// deep tree overflows.
void RunOnSmallStack(const std::function<void()>& body) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, size_t(256) << 10);
  pthread_t thread;
  auto run = [](void* p) -> void* {
    (*static_cast<const std::function<void()>*>(p))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&body)), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

// The lowest descriptor free: the scan leaves none open behind it.
int LowestFreeDescriptor() {
  const int fd = dup(0);
  close(fd);
  return fd;
}

// Lowers the limit of open files for its lifetime.
class FileLimit {
 public:
  explicit FileLimit(rlim_t files) {
    getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = files;
    setrlimit(RLIMIT_NOFILE, &lowered);
  }
  ~FileLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  rlimit saved_;
};

std::vector<std::string> Scan(const std::string& folder, const char* mask) {
  FileList list;
  size_t found = 0;
  ScanFolder(folder, mask, list, found, [](size_t) { return true; });
  list.SortAndRemoveDuplicates();
  std::vector<std::string> out;
  for (size_t i = 0; i < list.size(); ++i)
    out.emplace_back(list.Path(i).substr(folder.size()));
  return out;
}

}  // namespace

TEST(ScanFolder, ListsMatchesBelowTheFolderSkippingHiddenFoldersAndLinks) {
  Tree tree({"a.dwg", "B.DWG", ".hidden.dwg", "notes.txt", "sub/c.dwg", "sub/deeper/d.dwg",
             ".git/e.dwg", "plans.dwg/inside.dwg"});
  fs::create_directory_symlink(tree.Path(""), tree.Path("loop"));         // a link loop
  fs::create_directory_symlink(tree.Path("sub"), tree.Path("link.dwg"));  // listed, not entered
  EXPECT_EQ(Scan(tree.Root(), "*.dwg"),
            (std::vector<std::string>{".hidden.dwg", "a.dwg", "B.DWG", "link.dwg", "plans.dwg",
                                      "plans.dwg/inside.dwg", "sub/c.dwg", "sub/deeper/d.dwg"}));
}

TEST(ScanFolder, StarDotStarAlsoListsFoldersAndDotEntries) {
  Tree tree({"a", "sub/b.txt"});
  EXPECT_EQ(Scan(tree.Root(), "*.*"),
            (std::vector<std::string>{".", "..", "a", "sub", "sub/.", "sub/..", "sub/b.txt"}));
}

TEST(ScanFolder, MissingAndUnreadableFoldersFindNothing) {
  Tree tree({"ok.dwg", "locked/secret.dwg"});
  EXPECT_TRUE(Scan(tree.Root() + "missing/", "*.*").empty());
  fs::permissions(tree.Path("locked"), fs::perms::none);
  if (geteuid() != 0) {  // root reads every folder
    EXPECT_EQ(Scan(tree.Root(), "*.dwg"), std::vector<std::string>{"ok.dwg"});
  }
}

TEST(ScanFolder, StopsAtOnceWhenTheCallbackSaysSo) {
  Tree tree({"1.dwg", "2.dwg", "3.dwg", "sub/4.dwg", "sub/5.dwg"});
  FileList list;
  size_t found = 0;
  std::vector<size_t> counts;
  bool finished = ScanFolder(tree.Root(), "*.dwg", list, found, [&](size_t n) {
    counts.push_back(n);
    return n < 2;
  });
  EXPECT_FALSE(finished);
  EXPECT_EQ(found, 2u);
  EXPECT_EQ(list.size(), 2u);
  EXPECT_EQ(counts, (std::vector<size_t>{1, 2}));
}

TEST(ScanFolder, FolderTextGetsOneSeparator) {
  EXPECT_EQ(FolderWithSeparator("/home/u"), "/home/u/");
  EXPECT_EQ(FolderWithSeparator("/home/u/"), "/home/u/");
  EXPECT_EQ(FolderWithSeparator(""), "/");
}

// One descriptor per level ran out at about a thousand levels, and a path beyond PATH_MAX was
// skipped without a word: the deepest files of a deep tree were missing.
TEST(ScanFolder, FindsTheDeepestFileOfATreeDeeperThanTheOpenFilesLimit) {
  const fs::path root = DeepTreeRoot("kestrel-deep-");
  const DeepChain chain(root, 1500, {1, 20, 300, 1000, 1498});
  ASSERT_GT(chain.Deepest().size(), 4096u);
  const int freeBefore = LowestFreeDescriptor();
  FileList list;
  size_t found = 0, skipped = 0;
  {
    const FileLimit limit(64);
    EXPECT_TRUE(ScanFolder(
        root.string() + "/", "*.dwg", list, found, [](size_t) { return true; }, &skipped));
  }
  EXPECT_EQ(skipped, 0u);
  list.SortAndRemoveDuplicates();
  std::vector<std::string> paths;
  for (size_t i = 0; i < list.size(); ++i)
    paths.emplace_back(list.Path(i));
  std::vector<std::string> expected = chain.Sides();
  expected.push_back(chain.Deepest());
  std::sort(expected.begin(), expected.end());
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, expected);
  EXPECT_EQ(LowestFreeDescriptor(), freeBefore);
}

TEST(ScanFolder, WalksATreeDeeperThanTheStackWouldHold) {
  const fs::path root = DeepTreeRoot("kestrel-deeper-");
  const DeepChain chain(root, 10'000);
  FileList list;
  size_t found = 0, skipped = 0;
  RunOnSmallStack([&] {
    ScanFolder(
        root.string() + "/", "deep.dwg", list, found, [](size_t) { return true; }, &skipped);
  });
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list.Path(0), chain.Deepest());
  EXPECT_EQ(skipped, 0u);
}

// What cannot be opened is counted, so that the build can say that files may be missing.
TEST(ScanFolder, CountsTheFoldersItCannotOpen) {
  Tree tree({"a.dwg", "sub1/b.dwg", "sub2/deeper/c.dwg"});
  FileList list;
  size_t found = 0, skipped = 0;
  {
    // Room for the top folder only.
    const FileLimit limit(rlim_t(LowestFreeDescriptor()) + 1);
    ScanFolder(
        tree.Root(), "*.dwg", list, found, [](size_t) { return true; }, &skipped);
  }
  EXPECT_EQ(found, 1u);
  EXPECT_EQ(skipped, 2u);

  found = 0;
  ScanFolder(
      tree.Root() + "missing/", "*.*", list, found, [](size_t) { return true; }, &skipped);
  EXPECT_EQ(skipped, 0u);  // a folder that is not there hides nothing
}

TEST(ScanFolder, CountsAFolderWithoutReadPermission) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  Tree tree({"a.dwg", "sub/b.dwg", "locked/inner/c.dwg"});
  fs::permissions(tree.Path("locked"), fs::perms::none);
  FileList list;
  size_t found = 0, skipped = 0;
  ScanFolder(
      tree.Root(), "*.dwg", list, found, [](size_t) { return true; }, &skipped);
  EXPECT_EQ(found, 2u);
  EXPECT_EQ(skipped, 1u);
}

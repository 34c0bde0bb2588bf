#include "catalogue/ScanFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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

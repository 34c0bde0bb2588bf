// kestrel-tool scan: one output line per result, whatever bytes the names hold.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tool/RunTool.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> SplitLines(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

TEST(ScanCommand, EachResultStaysOnOneLineInItsDisplayForm) {
  const fs::path tree = fs::temp_directory_path() / ("kestrel-scan-" + std::to_string(getpid()));
  fs::remove_all(tree);
  fs::create_directories(tree);
  for (const char* name : {"a\nb.txt", "caf\xe9.txt", "plain.txt", "tab\there.txt", "del\x7f.txt"})
    std::ofstream(tree / name) << "x";

  const kestrel::test::ToolRun tool =
      kestrel::test::RunTool({"scan", tree.native(), "*.txt"}, 0, std::chrono::seconds(30));
  fs::remove_all(tree);
  ASSERT_TRUE(tool.ended);
  EXPECT_EQ(tool.status, 0) << tool.err;

  std::vector<std::string> paths;
  for (const std::string& line : SplitLines(tool.out)) {
    ASSERT_GT(line.size(), 11u) << line;
    paths.push_back(line.substr(11));  // after "[yy/mm/dd] "
  }
  const std::string t = tree.native();
  EXPECT_EQ(paths, (std::vector<std::string>{t + "/a\u240Ab.txt", t + "/caf\uFFFD.txt",
                                             t + "/del\u2421.txt", t + "/plain.txt",
                                             t + "/tab\u2409here.txt"}));
  EXPECT_EQ(tool.err, " 5 / 5 検索を終了しました.\n");
}

}  // namespace

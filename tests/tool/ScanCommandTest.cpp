// kestrel-tool scan: one output line per result, whatever bytes the names hold.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> SplitLines(const QByteArray& out) {
  std::vector<std::string> lines;
  for (const QByteArray& line : out.split('\n'))
    lines.push_back(line.toStdString());
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

TEST(ScanCommand, EachResultStaysOnOneLineInItsDisplayForm) {
  const fs::path tree = fs::temp_directory_path() / ("kestrel-scan-" + std::to_string(getpid()));
  fs::remove_all(tree);
  fs::create_directories(tree);
  for (const char* name : {"a\nb.txt", "caf\xe9.txt", "plain.txt", "tab\there.txt", "del\x7f.txt"})
    std::ofstream(tree / name) << "x";

  QProcess tool;
  tool.start(KESTREL_TOOL, {"scan", QString::fromStdString(tree.native()), "*.txt"});
  ASSERT_TRUE(tool.waitForFinished(30000));
  const QByteArray out = tool.readAllStandardOutput();
  const QByteArray err = tool.readAllStandardError();
  fs::remove_all(tree);
  EXPECT_EQ(tool.exitCode(), 0) << err.toStdString();

  std::vector<std::string> paths;
  for (const std::string& line : SplitLines(out)) {
    ASSERT_GT(line.size(), 11u) << line;
    paths.push_back(line.substr(11));  // after "[yy/mm/dd] "
  }
  const std::string t = tree.native();
  EXPECT_EQ(paths, (std::vector<std::string>{t + "/a\u240Ab.txt", t + "/caf\uFFFD.txt",
                                             t + "/del\u2421.txt", t + "/plain.txt",
                                             t + "/tab\u2409here.txt"}));
  EXPECT_EQ(err.toStdString(), " 5 / 5 検索を終了しました.\n");
}

}  // namespace

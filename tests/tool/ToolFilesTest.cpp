// kestrel-tool on paths that are not regular files, and on trees it cannot wholly open: every
// command ends at once with the error a bad file gets, and the scan says what it skipped.
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/SpecialFiles.h"
#include "tool/RunTool.h"

namespace {

namespace fs = std::filesystem;
using kestrel::test::RunTool;
using kestrel::test::ToolRun;

TEST(ToolFiles, CommandsOnSpecialFilesEndAtOnceWithTheirError) {
  const kestrel::test::SpecialFiles special(".dxf");
  const std::string png = (special.Folder() / "out.png").string();
  struct Command {
    std::vector<std::string> args;  // the file goes last, or where "FILE" stands
    int status;
    const char* output;  // expected in standard output and error together
  };
  const Command commands[] = {
      {{"sniff", "FILE"}, 0, "binary\tread error!\n"},
      {{"lisp-tokens", "FILE"}, 1, "kestrel-tool: cannot read"},
      {{"dxf-dump", "FILE"}, 0, "\"error\":\"busy\""},
      {{"dxf-dump", "FILE", "--stage", "final"}, 0, "\"error\":\"not a file\""},
      {{"render", "FILE", png}, 1, ""},
      {{"dwg-preview", "FILE"}, 1, "\"result\": \"abort\""},
      {{"pdf-view", "FILE"}, 1, "\"error\":\"File not found or could not be opened\""},
      {{"view", "FILE"}, 0, "\"redraw\": \"none\"}"},
  };
  std::vector<kestrel::test::SpecialFile> files = special.Files();
  files.push_back({"device named without an extension", "/dev/zero"});
  for (const Command& command : commands) {
    for (const kestrel::test::SpecialFile& file : files) {
      SCOPED_TRACE(command.args[0] + " on a " + file.kind);
      std::vector<std::string> args = command.args;
      for (std::string& a : args)
        if (a == "FILE") a = file.path;
      std::optional<kestrel::test::EndlessWriter> writer;
      if (file.endlessWriter) writer.emplace(file.path);
      const ToolRun run = RunTool(args);
      ASSERT_TRUE(run.ended) << "did not end within a second";
      EXPECT_EQ(run.status, command.status) << run.err;
      EXPECT_NE((run.out + run.err).find(command.output), std::string::npos) << run.out << run.err;
    }
  }
}

TEST(ToolFiles, ScanReportsTheFoldersItCouldNotOpen) {
  const fs::path root =
      fs::temp_directory_path() / ("kestrel-tool-scan-" + std::to_string(getpid()));
  fs::remove_all(root);
  for (const char* file : {"a.dwg", "sub1/b.dwg", "sub2/deeper/c.dwg"}) {
    fs::create_directories((root / file).parent_path());
    std::ofstream(root / file) << "x";
  }
  const ToolRun all = RunTool({"scan", root.string(), "*.dwg"});
  ASSERT_TRUE(all.ended);
  EXPECT_EQ(all.err, " 3 / 3 検索を終了しました.\n");
  EXPECT_EQ(all.err.find("開けないフォルダ"), std::string::npos) << all.err;

  // Room for one folder only: the top one opens, its two subfolders do not.
  const ToolRun starved = RunTool({"scan", root.string(), "*.dwg"}, 4);
  ASSERT_TRUE(starved.ended);
  // The search's final status keeps the note: it is what stays on show.
  EXPECT_EQ(starved.err, " 1 / 1 検索を終了しました. (開けないフォルダ 2)\n");
  EXPECT_NE(starved.out.find("a.dwg"), std::string::npos);
  fs::remove_all(root);
}

}  // namespace

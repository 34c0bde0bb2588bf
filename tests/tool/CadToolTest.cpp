// kestrel-tool cad-command and target-dialog as scripts use them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tool/RunTool.h"

namespace fs = std::filesystem;
using kestrel::test::RunTool;

namespace {

struct Folder {
  fs::path root = fs::temp_directory_path() / ("kestrel-cadtool-" + std::to_string(getpid()));
  Folder() { fs::create_directories(root); }
  ~Folder() { fs::remove_all(root); }
  std::string operator()(const char* name) const { return (root / name).string(); }
};

// Runs target-dialog with `commands` on its standard input; one output line per JSON object.
std::vector<std::string> DialogRun(const std::string& table, const std::string& target,
                                   const std::string& commands, const Folder& f) {
  const std::string in = f("commands.txt");
  std::ofstream(in, std::ios::binary) << commands;
  const std::string shell = std::string("'") + KESTREL_TOOL + "' target-dialog '" + table +
                            "' --target '" + target + "' < '" + in + "'";
  std::vector<std::string> lines;
  FILE* p = popen(shell.c_str(), "r");
  char buf[8192];
  while (p && fgets(buf, sizeof buf, p)) {
    std::string line = buf;
    if (!line.empty() && line.back() == '\n') line.pop_back();
    lines.push_back(line);
  }
  EXPECT_EQ(p ? pclose(p) : -1, 0);
  return lines;
}

}  // namespace

TEST(CadCommandTool, PrintsTheTextSentOrNothing) {
  Folder f;
  std::ofstream(f("a b.Dxf")) << "x";
  std::ofstream(f("t.lsp")) << "x";
  auto insert = RunTool({"cad-command", "insert", f("a b.Dxf")});
  EXPECT_EQ(insert.status, 0);
  EXPECT_EQ(insert.out, "ATTREQ 0\r-INSERT\r\"" + f("a b.Dxf") + "\"\rS 1 R 0\r");
  auto lisp = RunTool({"cad-command", "lisp", f("t.lsp")});
  EXPECT_EQ(lisp.status, 0);
  EXPECT_EQ(lisp.out, "(load \"" + f("t.lsp") + "\")(princ)\r");
  for (const auto& args : {std::vector<std::string>{"cad-command", "insert", f("t.lsp")},
                           {"cad-command", "lisp", f("a b.Dxf")},
                           {"cad-command", "insert", f("gone.dwg")}}) {
    auto run = RunTool(args);
    EXPECT_EQ(run.status, 1) << args[2];
    EXPECT_EQ(run.out, "");
  }
}

TEST(TargetDialogTool, OneObjectAfterTheStartAndEachCommand) {
  Folder f;
  const std::string table = f("TargetCAD_APIVersion.txt");
  std::ofstream(table, std::ios::binary) << "ZW\tZw.App\r\nBrics\tBricscadApp.AcadApplication\r\n";
  const auto out =
      DialogRun(table, "BricscadApp.AcadApplication",
                "show\nedit\tAuto\tAutoCAD.Application\nadd\nclick 2\ndelete\nok\n", f);
  ASSERT_EQ(out.size(), 7u);
  EXPECT_EQ(out[0],
            "{\"event\":\"start\",\"list\":[],\"selected\":-1,\"edit1\":\"\",\"edit2\":\"\","
            "\"file\":[\"ZW\\tZw.App\",\"Brics\\tBricscadApp.AcadApplication\"],"
            "\"TargetProgID\":\"BricscadApp.AcadApplication\",\"menu\":null,\"button\":null,"
            "\"title\":null}");
  EXPECT_NE(out[1].find("\"selected\":0,\"edit1\":\"Brics\""), std::string::npos) << out[1];
  EXPECT_NE(out[3].find("\"list\":[\"Auto\\tAutoCAD.Application\",\"Brics\\tBricscadApp."
                        "AcadApplication\",\"ZW\\tZw.App\"],\"selected\":0"),
            std::string::npos)
      << out[3];
  // Deleting the last line selects the new last one; OK names the target.
  EXPECT_NE(out[5].find("\"selected\":1,\"edit1\":\"Brics\""), std::string::npos) << out[5];
  EXPECT_NE(out[6].find("\"TargetProgID\":\"BricscadApp.AcadApplication\",\"menu\":\"ターゲット "
                        "= Brics\",\"button\":\"Brics へ挿入\",\"title\":\"Kestrel [ Brics ]\"}"),
            std::string::npos)
      << out[6];

  const auto none = DialogRun(f("none.txt"), "X", "ok\n", f);
  ASSERT_EQ(none.size(), 2u);
  EXPECT_NE(none[1].find("\"file\":null,\"TargetProgID\":\"\",\"menu\":\"ターゲット = \""),
            std::string::npos)
      << none[1];
}

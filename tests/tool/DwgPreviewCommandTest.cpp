// kestrel-tool dwg-preview: the JSON of each kind of result, the exit status and the picture.
#include <unistd.h>

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <string>

#include "tool/RunTool.h"

namespace {

namespace fs = std::filesystem;
using kestrel::test::RunTool;

std::string Corpus(const char* name) {
  return std::string(KESTREL_CORPUS_DIR) + "/dwg/" + name;
}

TEST(DwgPreviewCommand, EachResultAsJson) {
  struct Row {
    std::vector<std::string> args;
    int status;
    const char* json;
  } rows[] = {
      {{Corpus("libredwg_r14_v.dwg")},
       0,
       "{\"result\": \"shown\", \"version\": 1014, \"code\": 2, \"picture\": [180, 116], "
       "\"background\": \"#ffffff\", \"swapped\": true, \"source\": [69, 1, 43, 115], "
       "\"target\": [33, 90], \"at\": [33, 5]}\n"},
      {{Corpus("libredwg_example_2013.dwg"), "--size", "300x200"},
       0,
       "{\"result\": \"shown\", \"version\": 1027, \"code\": 6, \"picture\": [670, 448], "
       "\"background\": \"#212830\", \"swapped\": false, \"source\": [1, 1, 598, 447], "
       "\"target\": [240, 180], \"at\": [30, 10]}\n"},
      {{Corpus("libredwg_example_r13.dwg")}, 0, "{\"result\": \"cross\", \"version\": 1012}\n"},
      {{Corpus("libredwg_2018_Arc.dwg")},
       0,
       "{\"result\": \"cross\", \"version\": 1032, \"code\": 0}\n"},
      {{"/nonexistent/plan.dwg"}, 0, "{\"result\": \"black\"}\n"},
      {{"/dev/null"}, 1, "{\"result\": \"abort\"}\n"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> args{"dwg-preview"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const auto run = RunTool(args);
    ASSERT_TRUE(run.ended) << row.args[0];
    EXPECT_EQ(run.status, row.status) << row.args[0] << "\n" << run.err;
    EXPECT_EQ(run.out, row.json) << row.args[0];
  }
}

TEST(DwgPreviewCommand, AbortSaysWhyAndPictureIsWritten) {
  const fs::path dir = fs::temp_directory_path() / ("kestrel-dwgtool-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "short.dwg", std::ios::binary) << "AC1015\0\0\0";
  auto run = RunTool({"dwg-preview", (dir / "short.dwg").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "{\"result\": \"abort\", \"version\": 1015}\n");
  EXPECT_NE(run.err.find("image seeker"), std::string::npos) << run.err;

  const std::string png = (dir / "out.png").string();
  run = RunTool({"dwg-preview", Corpus("libredwg_example_2000.dwg"), "--png", png});
  EXPECT_EQ(run.status, 0);
  const QImage image(QString::fromStdString(png));
  ASSERT_EQ(image.size(), QSize(100, 100));
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 255, 255));
  EXPECT_EQ(RunTool({"dwg-preview", Corpus("libredwg_example_2000.dwg"), "--size", "0x5"}).status,
            2);
  fs::remove_all(dir);
}

}  // namespace

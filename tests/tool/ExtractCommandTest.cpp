// kestrel-tool extract: the lines "抽出" adds to the text view on standard output; the
// command's messages on standard error with exit status 1.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "tool/RunTool.h"

using kestrel::test::RunTool;

namespace {

const std::string kOffice = std::string(KESTREL_CORPUS_DIR) + "/office/";
const std::string kPdf = std::string(KESTREL_CORPUS_DIR) + "/pdf/";
constexpr std::chrono::milliseconds kLimit{20'000};

TEST(ExtractCommand, PrintsOneViewLinePerOutputLine) {
  const auto pptx = RunTool({"extract", kOffice + "poi_with_japanese.pptx"}, 0, kLimit);
  EXPECT_EQ(pptx.status, 0) << pptx.err;
  EXPECT_NE(pptx.out.find("\nゾルゲと尾崎、淡々と最期\n（ＧＨＱ）\n"), std::string::npos);
  EXPECT_EQ(pptx.out.find('\r'), std::string::npos);

  // Both PDF paths give the engine's lines; the engine's pages follow each other directly.
  const auto library = RunTool({"extract", kPdf + "pdfminer_pagelabels.pdf"}, 0, kLimit);
  const auto engine =
      RunTool({"extract", kPdf + "pdfminer_pagelabels.pdf", "--pdf-engine"}, 0, kLimit);
  EXPECT_EQ(library.status, 0) << library.err;
  EXPECT_EQ(engine.status, 0) << engine.err;
  EXPECT_EQ(engine.out.substr(0, 9), "Contents\n");
  EXPECT_EQ(library.out.substr(0, 9), "Contents\n");
}

TEST(ExtractCommand, MessagesGoToStandardErrorWithStatusOne) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "kestrel-tool-extract";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "a.txt") << "text";
  std::ofstream(dir / "bad.docx") << "not a zip";
  const struct {
    std::string file;
    std::string err;
  } cases[] = {
      {(dir / "a.txt").string(), "対応していないファイル形式です\n"},
      {(dir / "bad.docx").string(), "zip 形式ではありません\n"},
  };
  for (const auto& c : cases) {
    const auto run = RunTool({"extract", c.file}, 0, kLimit);
    EXPECT_EQ(run.status, 1) << c.file;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
  // A missing file ends the command without a word, as it does in the window.
  const auto gone = RunTool({"extract", (dir / "gone.docx").string()}, 0, kLimit);
  EXPECT_EQ(gone.status, 0);
  EXPECT_EQ(gone.out + gone.err, "");
  std::filesystem::remove_all(dir);
}

}  // namespace

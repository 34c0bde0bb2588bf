// kestrel-tool view: events on standard input drive the drawing view; one JSON object a line
// tells the view, the saved view, the status text, the picks and what was redrawn.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tool/RunTool.h"

namespace {

namespace fs = std::filesystem;
using kestrel::test::RunTool;
using kestrel::test::ToolRun;

fs::path Write(const std::string& name, const std::string& text) {
  const fs::path path = fs::path(::testing::TempDir()) / name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

// The value after "KEY": up to the next key.
std::string Field(const std::string& json, const std::string& key) {
  const std::string tag = "\"" + key + "\": ";
  const size_t at = json.find(tag);
  if (at == std::string::npos) return "(missing)";
  const size_t from = at + tag.size();
  const size_t to = json.find(", \"", from);
  return json.substr(from, (to == std::string::npos ? json.size() - 1 : to) - from);
}

ToolRun View(const fs::path& file, const std::string& events) {
  const fs::path input = Write("view-events.txt", events);
  return RunTool({"view", file.string(), "--size", "400x300"}, 0, std::chrono::seconds(20),
                 input.c_str());
}

// A line of 100 along x and a circle of radius 12.5 above its middle; the view is fitted to
// them (100 × 52.5 about (50, 26.25)), 100 / 400 / 0.9 units a pixel.
TEST(ViewCommand, EventsChangeTheViewAndEachPrintsItsState) {
  const fs::path dxf = Write("view-drawing.dxf",
                             "0\nSECTION\n2\nENTITIES\n"
                             "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n100\n21\n0\n"
                             "0\nCIRCLE\n8\nC\n10\n50\n20\n40\n40\n12.5\n"
                             "0\nENDSEC\n0\nEOF\n");
  const ToolRun run = View(dxf,
                           "wheel up 200 150\n"
                           "wheel-edit4 down 200 150\n"
                           "down left 100 100\nmove 120 120\nup left 120 120\n"
                           "down right 100 100\nup right 80 120\n"
                           "down right 100 100\nup right 80 120\n"
                           "down middle 200 150\nmove 210 160\nup middle 210 160\n"
                           "down left 200 89 shift\nup left 200 89 shift\n"
                           "resize 200 100\n");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> out = Lines(run.out);
  ASSERT_EQ(out.size(), 16u) << run.out;
  EXPECT_EQ(out[0],
            "{\"event\": \"load\", \"ViewCenter\": [50, 26.25], \"ViewWidth\": 100, "
            "\"ViewHeight\": 52.5, \"PrevViewCenter\": [0, 0], \"PrevViewWidth\": 0, "
            "\"PrevViewHeight\": 0, \"Edit4\": \"\", \"picked\": [-1, -1, -1, -1], "
            "\"redraw\": \"none\"}");
  struct Expect {
    size_t line;
    const char* key;
    const char* value;
  };
  const Expect expects[] = {
      {1, "event", "\"wheel up 200 150\""},
      {1, "ViewWidth", "50"},
      {1, "PrevViewWidth", "100"},
      {1, "redraw", "\"view\""},
      {2, "ViewWidth", "50"},  // over the status box: nothing
      {2, "redraw", "\"none\""},
      {5, "redraw", "\"view\""},  // 20 right, 20 down: the box
      {5, "PrevViewWidth", "50"},
      {7, "ViewWidth", "50"},  // 20 left, 20 down: the view before
      {9, "ViewWidth", "50"},  // and again: it stays
      {11, "redraw", "\"quick\""},
      {12, "redraw", "\"view\""},
      {13, "Edit4", "\"[C] 円半径 = 12.500\""},
      {13, "picked", "[-1, 0, -1, -1]"},
      {14, "redraw", "\"none\""},
      {15, "redraw", "\"view\""},
  };
  for (const Expect& e : expects) {
    ASSERT_LT(e.line, out.size());
    EXPECT_EQ(Field(out[e.line], e.key), e.value) << out[e.line];
  }
  // The pan moves the centre only when the button goes up.
  EXPECT_EQ(Field(out[11], "ViewCenter"), Field(out[10], "ViewCenter"));
  EXPECT_NE(Field(out[12], "ViewCenter"), Field(out[11], "ViewCenter"));
}

TEST(ViewCommand, AFileThatDoesNotLoadIgnoresEveryEvent) {
  const fs::path bad = fs::path(::testing::TempDir()) / "no-such-drawing.dxf";
  const ToolRun run = View(bad,
                           "wheel up 200 150\ndown left 10 10\nmove 40 40\nup left 40 40\n"
                           "down left 200 150 shift\nup left 200 150 shift\nresize 500 400\n");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.status, 0);
  const std::vector<std::string> out = Lines(run.out);
  ASSERT_EQ(out.size(), 8u);
  for (size_t i = 1; i < out.size(); ++i) {
    std::string state = out[i], first = out[0];
    state.erase(0, state.find(", \"ViewCenter\""));
    first.erase(0, first.find(", \"ViewCenter\""));
    EXPECT_EQ(state, first) << out[i];
  }
}

}  // namespace

// The PDF view's commands, sizing, marks and wheel rules, over a document of made-up pages.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "preview/core/PdfViewLogic.h"

using namespace kestrel::preview;

namespace {

using R = TPdfPageRotation;
using M = TPdfControlScaleMode;

// Pages of A4 (595 x 842 points) with a number of occurrences of each word.
class FakePages : public PdfPageSource {
 public:
  FakePages(int pages, std::map<std::string, std::vector<int>> words = {})
      : pages_(pages), words_(std::move(words)) {}
  int PageCount() const override { return pages_; }
  TPdfRect PageSize(int) const override { return {0, 0, 595, 842}; }
  std::vector<TPdfMatch> FindText(int page, const std::string& text, bool, bool) override {
    searches.push_back(page);
    auto it = words_.find(text);
    const int n = it == words_.end() ? 0 : it->second[size_t(page)];
    return std::vector<TPdfMatch>(size_t(n), TPdfMatch{{10, 10, 20, 10}});
  }
  std::vector<int> searches;

 private:
  int pages_;
  std::map<std::string, std::vector<int>> words_;
};

PdfViewLogic ViewOf(FakePages& pages) {
  PdfViewLogic v;
  v.SetViewport(800, 600, 96, 96, 16);
  v.Load(&pages);
  return v;
}

}  // namespace

TEST(PdfViewLogic, ZoomStepsTruncateAndClamp) {
  struct Case {
    int from;
    PdfCommand command;
    std::vector<int> steps;
  };
  const Case cases[] = {
      {100, PdfCommand::ZoomIn, {120, 144, 172, 206, 247, 296}},
      {100, PdfCommand::ZoomOut, {80, 64, 51, 40, 32, 25}},
      {4, PdfCommand::ZoomIn, {4, 4}},  // 4 x 1.2 truncates to 4
      {5, PdfCommand::ZoomIn, {6, 7, 8, 9, 10, 12}},
      {2, PdfCommand::ZoomOut, {1, 1, 1}},
      {9000, PdfCommand::ZoomIn, {10000, 10000}},
  };
  FakePages pages(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    PdfViewLogic v = ViewOf(pages);
    v.SetZoomPercentage(c.from);
    for (int expected : c.steps) {
      EXPECT_FALSE(v.Run(c.command));
      EXPECT_EQ(v.ZoomPercentage(), expected);
      EXPECT_EQ(v.ScaleMode(), M::smZoom);
    }
  }
  // Out from 100 reaches 1 and stays there.
  PdfViewLogic v = ViewOf(pages);
  for (int i = 0; i < 40; ++i)
    v.Run(PdfCommand::ZoomOut);
  EXPECT_EQ(v.ZoomPercentage(), 1);
  // The fit commands set their mode and bring back 100.
  const std::pair<PdfCommand, M> fits[] = {{PdfCommand::Fit, M::smFitAuto},
                                           {PdfCommand::FitHeight, M::smFitHeight},
                                           {PdfCommand::FitWidth, M::smFitWidth}};
  for (const auto& [command, mode] : fits) {
    v.SetZoomPercentage(37);
    v.Run(command);
    EXPECT_EQ(v.ScaleMode(), mode);
    EXPECT_EQ(v.ZoomPercentage(), 100);
  }
  v.SetZoomPercentage(0);
  EXPECT_EQ(v.ZoomPercentage(), 1);
  v.SetZoomPercentage(1 << 30);
  EXPECT_EQ(v.ZoomPercentage(), 10000);
}

TEST(PdfViewLogic, RotationCyclesClockwiseAndTheMenuSetsEachTurn) {
  FakePages pages(1);
  PdfViewLogic v = ViewOf(pages);
  for (R expected : {R::pr90Clockwise, R::pr180, R::pr90CounterClockwide, R::prNormal}) {
    v.Run(PdfCommand::Rotate);
    EXPECT_EQ(v.Rotation(), expected);
  }
  const std::pair<PdfCommand, R> menu[] = {{PdfCommand::Rotate270, R::pr90CounterClockwide},
                                           {PdfCommand::Rotate90, R::pr90Clockwise},
                                           {PdfCommand::Rotate180, R::pr180},
                                           {PdfCommand::Rotate0, R::prNormal}};
  for (const auto& [command, rotation] : menu) {
    v.Run(command);
    EXPECT_EQ(v.Rotation(), rotation);
  }
}

TEST(PdfViewLogic, PageCommandsRewriteTheLabelAndStopAtTheEnds) {
  FakePages one(1), three(3);
  PdfViewLogic single = ViewOf(one);
  EXPECT_TRUE(single.Run(PdfCommand::PrevPage));
  EXPECT_EQ(single.PageLabel(), "1 / 1");
  EXPECT_TRUE(single.Run(PdfCommand::NextPage));
  EXPECT_EQ(single.PageLabel(), "1 / 1");

  PdfViewLogic many = ViewOf(three);
  const std::pair<PdfCommand, const char*> steps[] = {{PdfCommand::PrevPage, "1 / 3"},
                                                      {PdfCommand::NextPage, "2 / 3"},
                                                      {PdfCommand::NextPage, "3 / 3"},
                                                      {PdfCommand::NextPage, "3 / 3"},
                                                      {PdfCommand::PrevPage, "2 / 3"}};
  for (const auto& [command, label] : steps) {
    EXPECT_TRUE(many.Run(command));
    EXPECT_EQ(many.PageLabel(), label);
  }
  // A new page is shown from its top-left corner; setting the index clamps it.
  many.Run(PdfCommand::ZoomIn);
  many.SetScroll(300, 400);
  ASSERT_GT(many.ScrollY(), 0);
  many.Run(PdfCommand::NextPage);
  EXPECT_EQ(many.ScrollX(), 0);
  EXPECT_EQ(many.ScrollY(), 0);
  many.SetPageIndex(99);
  EXPECT_EQ(many.PageIndex(), 2);
  many.SetPageIndex(-5);
  EXPECT_EQ(many.PageIndex(), 0);
  many.Close();
  EXPECT_EQ(many.PageIndex(), 0);
  EXPECT_EQ(many.PageCount(), 0);
}

TEST(PdfViewLogic, MarksFollowThePageAndTheLoadWithTheRememberedText) {
  FakePages pages(3, {{"図面", {2, 0, 1}}, {"abc", {1, 1, 1}}});
  PdfViewLogic v = ViewOf(pages);
  EXPECT_TRUE(pages.searches.empty()) << "nothing is searched without a highlight text";
  v.HightlightText("図面", false, false);
  EXPECT_EQ(v.Marks().size(), 2u);
  v.Run(PdfCommand::NextPage);
  EXPECT_EQ(v.Marks().size(), 0u);
  v.Run(PdfCommand::NextPage);
  EXPECT_EQ(v.Marks().size(), 1u);
  EXPECT_EQ(pages.searches, (std::vector<int>{0, 1, 2}));

  // Another document: page 0 is marked at once; the text survives the load.
  FakePages other(2, {{"図面", {3, 0}}});
  v.Load(&other);
  EXPECT_EQ(v.Marks().size(), 3u);
  EXPECT_EQ(v.HighlightedText(), "図面");
  v.HightlightText("", false, false);
  EXPECT_TRUE(v.Marks().empty());
  v.Run(PdfCommand::NextPage);
  EXPECT_TRUE(v.Marks().empty());
}

TEST(PdfViewLogic, SizingByModeWithTheScrollBarsRoom) {
  struct Case {
    R rotation;
    M mode;
    int zoom;
    int w, h;  // drawn page
    bool hBar, vBar;
  };
  // A4 in an 800 x 600 view at 96 pixels per inch, scroll bars 16 pixels thick.
  const Case cases[] = {
      {R::prNormal, M::smFitAuto, 100, 424, 600, false, false},
      {R::pr90Clockwise, M::smFitAuto, 100, 800, 565, false, false},  // width-bound
      {R::prNormal, M::smFitHeight, 100, 424, 600, false, false},
      // Too tall: the vertical bar takes 16 pixels of the width it is fitted to.
      {R::prNormal, M::smFitWidth, 100, 784, 1109, false, true},
      {R::pr180, M::smFitWidth, 100, 784, 1109, false, true},
      // Too wide: the horizontal bar takes 16 pixels of the height.
      {R::pr90CounterClockwide, M::smFitHeight, 100, 826, 584, true, false},
      // The vertical bar leaves 784 pixels, which the 793-pixel page then overflows.
      {R::prNormal, M::smZoom, 100, 793, 1123, true, true},
      {R::prNormal, M::smZoom, 200, 1587, 2245, true, true},
      {R::pr90Clockwise, M::smZoom, 50, 561, 397, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << int(c.rotation) << " " << int(c.mode) << " " << c.zoom);
    const TPdfLayout l = LayoutPage(595, 842, c.rotation, c.mode, c.zoom, 800, 600, 96, 96, 16);
    EXPECT_EQ(l.pageW, c.w);
    EXPECT_EQ(l.pageH, c.h);
    EXPECT_EQ(l.hBar, c.hBar);
    EXPECT_EQ(l.vBar, c.vBar);
    EXPECT_EQ(l.viewW, c.vBar ? 784 : 800);
    EXPECT_EQ(l.viewH, c.hBar ? 584 : 600);
    // Centred where it fits, scrolled where it does not.
    EXPECT_EQ(l.left, std::max(0, (l.viewW - l.pageW) / 2));
    EXPECT_EQ(l.maxScrollX, std::max(0, l.pageW - l.viewW));
    EXPECT_EQ(l.maxScrollY, std::max(0, l.pageH - l.viewH));
  }
  // A page without extent is neither divided by nor lost.
  const TPdfLayout empty = LayoutPage(0, 0, R::prNormal, M::smFitAuto, 100, 800, 600, 96, 96, 16);
  EXPECT_GE(empty.pageW, 1);
  EXPECT_GE(empty.pageH, 1);
}

TEST(PdfViewLogic, WheelInTheViewThenInTheWindow) {
  struct Case {
    const char* what;
    M mode;
    int delta;
    bool ctrl, shift;
    int x, y;
    int page;  // after, from page 1 of 3
    M modeAfter;
    int zoomAfter;  // from 100
  };
  const Case cases[] = {
      {"down in a fit mode turns forward", M::smFitAuto, -120, false, false, 10, 10, 2,
       M::smFitAuto, 100},
      {"up in a fit mode turns back", M::smFitWidth, 120, false, false, 10, 10, 0, M::smFitWidth,
       100},
      {"in zoom mode it only scrolls", M::smZoom, -120, false, false, 10, 10, 1, M::smZoom, 100},
      {"Ctrl in a fit mode switches to zoom", M::smFitHeight, 120, true, false, 10, 10, 1,
       M::smZoom, 100},
      {"Shift in a fit mode switches to zoom", M::smFitAuto, -120, false, true, 10, 10, 1,
       M::smZoom, 100},
      {"Ctrl in zoom mode zooms by 5", M::smZoom, 120, true, false, 10, 10, 1, M::smZoom, 105},
      {"Ctrl down in zoom mode", M::smZoom, -240, true, false, 10, 10, 1, M::smZoom, 90},
      {"on the left edge nothing", M::smFitAuto, -120, false, false, 0, 10, 1, M::smFitAuto, 100},
      {"on the top edge nothing", M::smFitAuto, -120, false, false, 10, 0, 1, M::smFitAuto, 100},
      {"on the right edge nothing", M::smFitAuto, -120, false, false, 800, 10, 1, M::smFitAuto,
       100},
      {"below the panel nothing", M::smFitAuto, -120, true, false, 10, 600, 1, M::smFitAuto, 100},
      {"Ctrl zooms in the view wherever", M::smZoom, 120, true, false, 0, 0, 1, M::smZoom, 105},
  };
  FakePages pages(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdfViewLogic v = ViewOf(pages);
    v.SetPageIndex(1);
    v.SetScaleMode(c.mode);
    v.ViewWheel(c.delta, c.ctrl, c.shift);
    v.WindowWheel(c.delta, c.ctrl, c.shift, c.x, c.y, 800, 600);
    EXPECT_EQ(v.PageIndex(), c.page);
    EXPECT_EQ(v.ScaleMode(), c.modeAfter);
    EXPECT_EQ(v.ZoomPercentage(), c.zoomAfter);
  }

  // The first Ctrl+wheel in a fit mode switches, the next ones zoom; a notch comes in parts too.
  PdfViewLogic v = ViewOf(pages);
  for (int zoom : {100, 105, 110}) {
    v.ViewWheel(120, true, false);
    v.WindowWheel(120, true, false, 5, 5, 800, 600);
    EXPECT_EQ(v.ZoomPercentage(), zoom);
  }
  for (int i = 0; i < 4; ++i)
    v.ViewWheel(30, true, false);
  EXPECT_EQ(v.ZoomPercentage(), 115);

  // Without Ctrl the view scrolls by the wheel amount, with Shift sideways.
  v.SetZoomPercentage(300);
  v.SetScroll(0, 0);
  EXPECT_TRUE(v.ViewWheel(-120, false, false));
  EXPECT_EQ(v.ScrollY(), 120);
  EXPECT_TRUE(v.ViewWheel(-120, false, true));
  EXPECT_EQ(v.ScrollX(), 120);
  EXPECT_TRUE(v.ViewWheel(240, false, true));
  EXPECT_EQ(v.ScrollX(), 0);
}

TEST(PdfViewLogic, WithoutTheEngineNothingHappens) {
  FakePages pages(3);
  PdfViewLogic v = ViewOf(pages);
  v.SetAvailable(false);
  for (PdfCommand c :
       {PdfCommand::NextPage, PdfCommand::Rotate, PdfCommand::ZoomIn, PdfCommand::FitWidth})
    EXPECT_FALSE(v.Run(c));
  EXPECT_FALSE(v.WindowWheel(-120, false, false, 10, 10, 800, 600));
  EXPECT_FALSE(v.ViewWheel(120, true, false));
  EXPECT_EQ(v.PageLabel(), "1 / 3");
  EXPECT_EQ(v.Rotation(), R::prNormal);
  EXPECT_EQ(v.ScaleMode(), M::smFitAuto);
  EXPECT_EQ(v.ZoomPercentage(), 100);
}

TEST(PdfViewLogic, CharacterRectanglesMergeIntoRunsOfALine) {
  // Three characters of one line, a gap of more than a height, then the next line.
  const std::vector<TPdfRect> chars = {
      {10, 100, 8, 12}, {18, 101, 8, 11}, {26, 100, 8, 12}, {60, 100, 8, 12}, {10, 120, 8, 12}};
  const std::vector<TPdfRect> runs = MergeLineRects(chars);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_DOUBLE_EQ(runs[0].x, 10);
  EXPECT_DOUBLE_EQ(runs[0].w, 24);
  EXPECT_DOUBLE_EQ(runs[0].h, 12);
  EXPECT_DOUBLE_EQ(runs[1].x, 60);
  EXPECT_DOUBLE_EQ(runs[2].y, 120);
}

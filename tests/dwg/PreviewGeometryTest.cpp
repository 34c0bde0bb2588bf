// Trimming and fitting a preview: the corner vote, the swap of a white background, the content
// box with its quirks, and the exact source, target and place for a few pictures.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "dwg/PreviewGeometry.h"

namespace kestrel::dwg {
namespace {

constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0xFF0000, kGrey = 0x212830;

struct Picture {
  int w, h;
  std::vector<uint32_t> px;
  Picture(int w_, int h_, uint32_t fill) : w(w_), h(h_), px(size_t(w_) * size_t(h_), fill) {}
  Picture& Set(std::initializer_list<std::pair<int, int>> at, uint32_t c) {
    for (auto [x, y] : at)
      px[size_t(y) * size_t(w) + size_t(x)] = c;
    return *this;
  }
  TPixels Pixels() { return TPixels{px.data(), w, h, w}; }
  uint32_t At(int x, int y) const { return px[size_t(y) * size_t(w) + size_t(x)] & 0xFFFFFF; }
};

TEST(PreviewGeometry, CornerVoteTakesTheCommonestCornerFirstOnATie) {
  struct Row {
    uint32_t tl, tr, bl, br, expected;
  } rows[] = {
      {kRed, kRed, kGrey, kGrey, kRed},     // tie: the first corner
      {kRed, kGrey, kGrey, kWhite, kGrey},  // two of four
      {kRed, kGrey, kWhite, kBlack, kRed},  // all differ: top-left
      {kRed, kGrey, kWhite, kWhite, kWhite}, {kRed, kGrey, kGrey, kGrey, kGrey},
  };
  for (const Row& r : rows) {
    Picture p(4, 3, kBlack);
    p.Set({{0, 0}}, r.tl).Set({{3, 0}}, r.tr).Set({{0, 2}}, r.bl).Set({{3, 2}}, r.br);
    EXPECT_EQ(CornerVote(p.Pixels()), r.expected);
  }
}

TEST(PreviewGeometry, WhiteBackgroundSwapsBlackAndWhiteOnly) {
  Picture p(20, 20, kWhite);
  p.Set({{5, 5}, {6, 6}, {7, 7}, {8, 8}}, kBlack).Set({{10, 10}, {12, 12}}, kRed);
  TPixels px = p.Pixels();
  const TPreviewPlan plan = PlanPreview(px, 100, 100);
  EXPECT_EQ(plan.background, kWhite);
  EXPECT_TRUE(plan.swapped);
  EXPECT_EQ(p.At(0, 0), kBlack);
  EXPECT_EQ(p.At(5, 5), kWhite);
  EXPECT_EQ(p.At(10, 10), kRed);
  // The content box is taken against black now: lines 5..12 both ways.
  EXPECT_EQ(plan.source.x, 5);
  EXPECT_EQ(plan.source.y, 5);

  Picture grey(20, 20, kGrey);
  TPixels g = grey.Pixels();
  EXPECT_FALSE(PlanPreview(g, 100, 100).swapped);
}

struct Expect {
  TRect source;
  int tw, th, ax, ay;
};

void ExpectPlan(const TPreviewPlan& plan, const Expect& e, const char* name) {
  EXPECT_EQ(plan.source.x, e.source.x) << name;
  EXPECT_EQ(plan.source.y, e.source.y) << name;
  EXPECT_EQ(plan.source.w, e.source.w) << name;
  EXPECT_EQ(plan.source.h, e.source.h) << name;
  EXPECT_EQ(plan.targetW, e.tw) << name;
  EXPECT_EQ(plan.targetH, e.th) << name;
  EXPECT_EQ(plan.atX, e.ax) << name;
  EXPECT_EQ(plan.atY, e.ay) << name;
}

TEST(PreviewGeometry, SourceTargetAndPlaceOfSomePictures) {
  {
    // Content touching all four edges of 180 x 120: the whole picture, k = 0.5; the source
    // starts at (1, 1) and keeps inside the picture.
    Picture p(180, 120, kBlack);
    p.Set({{90, 0}, {0, 60}, {179, 60}, {90, 119}}, kRed);
    TPixels px = p.Pixels();
    ExpectPlan(PlanPreview(px, 100, 100), {{1, 1, 179, 119}, 90, 60, 5, 20}, "fills 180x120");
  }
  {
    // A block at 5..8 x 4..6 of 16 x 12, widened one pixel left and up.
    Picture p(16, 12, kBlack);
    for (int y = 4; y <= 6; ++y)
      for (int x = 5; x <= 8; ++x)
        p.Set({{x, y}}, kRed);
    TPixels px = p.Pixels();
    ExpectPlan(PlanPreview(px, 100, 100), {{5, 4, 5, 4}, 90, 72, 5, 14}, "block");
  }
  {
    // The first content at the start of a row: the top comes from the row above it, and is
    // widened once more.
    Picture p(10, 10, kBlack);
    p.Set({{0, 5}, {9, 8}}, kRed);
    TPixels px = p.Pixels();
    ExpectPlan(PlanPreview(px, 100, 100), {{1, 4, 9, 6}, 90, 54, 5, 23}, "row start");
  }
  {
    // Too little content (one pixel) and none at all: the whole picture.
    Picture one(10, 10, kBlack);
    one.Set({{5, 5}}, kRed);
    TPixels a = one.Pixels();
    ExpectPlan(PlanPreview(a, 100, 100), {{1, 1, 9, 9}, 90, 90, 5, 5}, "one pixel");
    Picture none(40, 20, kGrey);
    TPixels b = none.Pixels();
    ExpectPlan(PlanPreview(b, 100, 100), {{1, 1, 39, 19}, 90, 45, 5, 27}, "background only");
  }
  {
    // A wide box: the height decides.
    Picture p(20, 20, kBlack);
    p.Set({{0, 3}, {19, 3}, {0, 19}, {3, 0}}, kRed);
    TPixels px = p.Pixels();
    ExpectPlan(PlanPreview(px, 300, 100), {{1, 1, 19, 19}, 90, 90, 105, 5}, "wide box");
  }
  {
    // A one-pixel picture: nothing is left to stretch, nothing is drawn out of it.
    Picture p(1, 1, kRed);
    TPixels px = p.Pixels();
    const TPreviewPlan plan = PlanPreview(px, 100, 100);
    EXPECT_EQ(plan.source.w, 0);
    EXPECT_EQ(plan.source.h, 0);
  }
}

TEST(PreviewGeometry, ShrinkKeepsThinBrightLinesOnBlack) {
  Picture p(100, 100, kBlack);
  for (int y = 0; y < 100; ++y)
    p.Set({{37, y}}, kWhite);
  p.Set({{80, 80}}, kRed);
  std::vector<uint32_t> out(100, 0);
  TPixels to{out.data(), 10, 10, 10};
  StretchBrightOnBlack(p.Pixels(), {0, 0, 100, 100}, to);
  for (int y = 0; y < 10; ++y) {
    EXPECT_EQ(out[size_t(y) * 10 + 3] & 0xFFFFFF, kWhite) << y;
    EXPECT_EQ(out[size_t(y) * 10 + 4] & 0xFFFFFF, kBlack) << y;
  }
  EXPECT_EQ(out[8 * 10 + 8] & 0xFFFFFF, kRed);

  // Growing repeats pixels.
  Picture small(2, 1, kBlack);
  small.Set({{1, 0}}, kRed);
  std::vector<uint32_t> big(8, 0);
  TPixels to2{big.data(), 4, 2, 4};
  StretchBrightOnBlack(small.Pixels(), {0, 0, 2, 1}, to2);
  EXPECT_EQ(big[1] & 0xFFFFFF, kBlack);
  EXPECT_EQ(big[2] & 0xFFFFFF, kRed);
  EXPECT_EQ(big[7] & 0xFFFFFF, kRed);
}

}  // namespace
}  // namespace kestrel::dwg

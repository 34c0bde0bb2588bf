#include "dwg/PreviewGeometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kestrel::dwg {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

// Whole pixels of a scaled length. The scale is a quotient, so a length that should come out
// whole can land a hair below it; that hair must not cost a pixel.
int TruncPixels(double v) {
  return static_cast<int>(std::floor(v + 1e-9));
}

}  // namespace

uint32_t CornerVote(const TPixels& p) {
  const uint32_t corners[4] = {p.At(0, 0), p.At(p.width - 1, 0), p.At(0, p.height - 1),
                               p.At(p.width - 1, p.height - 1)};
  int best = 0, bestCount = 0;
  for (int i = 0; i < 4; ++i) {
    const int count = int(std::count(corners, corners + 4, corners[i]));
    if (count > bestCount) {
      best = i;
      bestCount = count;
    }
  }
  return corners[best];
}

void SwapBlackAndWhite(TPixels& p) {
  for (int y = 0; y < p.height; ++y) {
    uint32_t* row = p.Row(y);
    for (int x = 0; x < p.width; ++x) {
      const uint32_t c = row[x] & 0xFFFFFF;
      if (c == kWhite) {
        row[x] = (row[x] & 0xFF000000u) | kBlack;
      } else if (c == kBlack) {
        row[x] = (row[x] & 0xFF000000u) | kWhite;
      }
    }
  }
}

void PlaceContent(const TPixels& p, uint32_t background, int boxW, int boxH, TPreviewPlan& plan) {
  const int Wp = p.width, Hp = p.height;
  // The box as CAD thumbnails have always been trimmed: `top` ends on the last background
  // pixel before the first content, so a first content pixel at the start of a row takes the
  // row above it.
  int left = Wp - 1, right = 0, top = Hp - 1, bottom = 0;
  bool found = false;
  for (int y = 0; y < Hp; ++y) {
    const uint32_t* row = p.Row(y);
    for (int x = 0; x < Wp; ++x) {
      if ((row[x] & 0xFFFFFF) != background) {
        found = true;
        bottom = y;
        left = std::min(left, x);
        right = std::max(right, x);
        if (y == 0) top = 0;
      } else if (!found) {
        top = y;
      }
    }
  }
  if (left > 0) --left;
  if (top > 0) --top;
  int cropW = left < right ? right - left + 1 : Wp;
  int cropH = top < bottom ? bottom - top + 1 : Hp;
  if (right - left <= 2 || bottom - top <= 2) {
    left = top = 0;
    cropW = Wp;
    cropH = Hp;
  }
  const double kx = boxW * 0.9 / cropW, ky = boxH * 0.9 / cropH;
  const double k = ky < kx ? ky : kx;
  plan.targetW = TruncPixels(cropW * k);
  plan.targetH = TruncPixels(cropH * k);
  // The stretch starts one pixel in from the box's corner; keep its far edge in the picture.
  if (left + cropW + 1 > Wp) cropW = Wp - left - 1;
  if (top + cropH + 1 > Hp) cropH = Hp - top - 1;
  plan.source = TRect{left + 1, top + 1, cropW, cropH};
  plan.atX = (boxW - plan.targetW) / 2;
  plan.atY = (boxH - plan.targetH) / 2;
}

TPreviewPlan PlanPreview(TPixels& p, int boxW, int boxH) {
  TPreviewPlan plan;
  plan.background = CornerVote(p);
  uint32_t background = plan.background;
  if (background == kWhite) {
    // Every preview ends up on black, like the drawing view.
    SwapBlackAndWhite(p);
    plan.swapped = true;
    background = kBlack;
  }
  PlaceContent(p, background, boxW, boxH, plan);
  return plan;
}

void StretchBrightOnBlack(const TPixels& from, TRect s, TPixels& to) {
  if (s.w <= 0 || s.h <= 0 || to.width <= 0 || to.height <= 0) return;
  // Source columns of each target column: [x0, x1), at least one.
  std::vector<int> x0(size_t(to.width) + 1);
  for (int x = 0; x <= to.width; ++x)
    x0[size_t(x)] = int(int64_t(x) * s.w / to.width);
  for (int y = 0; y < to.height; ++y) {
    const int y0 = int(int64_t(y) * s.h / to.height);
    const int y1 = std::max(y0 + 1, int(int64_t(y + 1) * s.h / to.height));
    uint32_t* out = to.Row(y);
    for (int x = 0; x < to.width; ++x) {
      const int a = x0[size_t(x)], b = std::max(a + 1, x0[size_t(x) + 1]);
      uint32_t c = 0;
      for (int sy = y0; sy < y1; ++sy) {
        const uint32_t* in = from.Row(s.y + sy) + s.x;
        for (int sx = a; sx < b; ++sx)
          c |= in[sx];
      }
      out[x] = 0xFF000000u | (c & 0xFFFFFF);
    }
  }
}

}  // namespace kestrel::dwg

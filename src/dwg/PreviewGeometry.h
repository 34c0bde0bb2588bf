// How a DWG preview picture is shown: on black, trimmed to its content and fitted into 90 % of
// the picture box, centred. Works on 32-bit pixels 0x??RRGGBB (the top byte is ignored), so that
// a decoded QImage is used in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel::dwg {

struct TPixels {
  uint32_t* data = nullptr;
  int width = 0;
  int height = 0;
  ptrdiff_t stride = 0;  // pixels from one row to the next

  uint32_t At(int x, int y) const { return data[y * stride + x] & 0xFFFFFF; }
  uint32_t* Row(int y) const { return data + y * stride; }
};

struct TRect {
  int x = 0, y = 0, w = 0, h = 0;
};

struct TPreviewPlan {
  uint32_t background = 0;  // the corners' colour, before any swap (0xRRGGBB)
  bool swapped = false;     // white background: black and white were swapped
  TRect source;             // the part of the picture that is stretched
  int targetW = 0, targetH = 0;
  int atX = 0, atY = 0;  // where the stretched picture goes in the box
};

// The colour most of the four corners share (top-left, top-right, bottom-left, bottom-right);
// on a tie the first of them in that order.
uint32_t CornerVote(const TPixels& picture);

// Swaps pure black and pure white in every pixel; other colours stay.
void SwapBlackAndWhite(TPixels& picture);

// The background vote, the swap of a white background, the content box and the fit into a box
// of `boxW` x `boxH`. Changes the picture only by the swap.
TPreviewPlan PlanPreview(TPixels& picture, int boxW, int boxH);

// The rectangle of content on `background`, widened by one pixel to the left and top, and the
// fit; what PlanPreview does after the swap.
void PlaceContent(const TPixels& picture, uint32_t background, int boxW, int boxH,
                  TPreviewPlan& plan);

// Stretches `source` of `from` into all of `to`. Where it shrinks, every target pixel is the
// bitwise OR of the source pixels it covers, so bright thin lines on black survive; where it
// grows, pixels are repeated.
void StretchBrightOnBlack(const TPixels& from, TRect source, TPixels& to);

}  // namespace kestrel::dwg

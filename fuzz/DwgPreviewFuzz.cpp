// The DWG preview reader over any bytes, and the trimming and fit over a small picture made of
// the same bytes: every rectangle it hands the stretch must lie in the picture, and the fitted
// picture in the box.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dwg/DwgPreview.h"
#include "dwg/PreviewGeometry.h"

using namespace kestrel;

namespace {

void CheckReader(const uint8_t* data, size_t size) {
  dwg::MemorySource source(data, size);
  const dwg::TDwgPreview r = dwg::ReadDwgPreview(source);
  if (r.status == dwg::DwgPreviewStatus::Picture) {
    if (r.bytes.empty() || r.bytes.size() > dwg::kMaxPictureBytes + 14) __builtin_trap();
    if (r.bytes.size() > size + 14) __builtin_trap();
  }
  if (r.status != dwg::DwgPreviewStatus::Picture && !r.bytes.empty()) __builtin_trap();
}

// Four colours, so that corners agree and content shows against the background.
void CheckGeometry(const uint8_t* data, size_t size) {
  if (size < 5) return;
  const int w = 1 + data[0] % 48, h = 1 + data[1] % 48;
  const int boxW = 1 + data[2] % 120, boxH = 1 + data[3] % 120;
  static const uint32_t kColours[4] = {0x000000, 0xFFFFFF, 0xFF0000, 0x212830};
  std::vector<uint32_t> pixels(size_t(w) * size_t(h));
  for (size_t i = 0; i < pixels.size(); ++i) {
    const uint8_t b = data[4 + i % (size - 4)];
    pixels[i] = 0xFF000000u | kColours[(b >> (2 * (i % 4))) & 3];
  }
  dwg::TPixels picture{pixels.data(), w, h, w};
  const dwg::TPreviewPlan plan = dwg::PlanPreview(picture, boxW, boxH);
  const dwg::TRect s = plan.source;
  if (s.x < 0 || s.y < 0 || s.w < 0 || s.h < 0 || s.x + s.w > w || s.y + s.h > h) __builtin_trap();
  if (plan.targetW < 0 || plan.targetH < 0 || plan.targetW > boxW || plan.targetH > boxH) {
    __builtin_trap();
  }
  if (plan.atX < 0 || plan.atY < 0 || plan.atX + plan.targetW > boxW ||
      plan.atY + plan.targetH > boxH) {
    __builtin_trap();
  }
  if (plan.targetW > 0 && plan.targetH > 0) {
    std::vector<uint32_t> out(size_t(plan.targetW) * size_t(plan.targetH));
    dwg::TPixels target{out.data(), plan.targetW, plan.targetH, plan.targetW};
    dwg::StretchBrightOnBlack(picture, s, target);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckReader(data, size);
  CheckGeometry(data, size);
  if (size >= 4) dwg::BmpPixelOffset(data, size);
  return 0;
}
